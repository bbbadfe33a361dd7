#include "self_removal.h"

#include <algorithm>

#include "paths.h"
#include "removal_order.h"
#include "text.h"

namespace uninstall {
namespace {

std::u16string quoted_line(std::u16string_view command, std::u16string_view path) {
  return std::u16string(command) + u" \"" + std::u16string(path) + u"\"\r\n";
}

}  // namespace

std::u16string self_removal_batch_text(std::u16string_view own_path, std::u16string_view install_folder,
                                       std::u16string_view uninstall_subdir, std::u16string_view batch_path,
                                       const std::vector<std::u16string>& parent_folders) {
  std::u16string own(own_path);
  std::u16string text = u":Repeat\r\n";
  text += quoted_line(u"del", own);
  text += u"if exist \"" + own + u"\" goto Repeat\r\n";
  text += u"CHOICE /T 3 /D Y\r\n";

  std::u16string subfolder = kv::without_trailing_separators(uninstall_subdir);
  while (!subfolder.empty() && (subfolder.front() == u'\\' || subfolder.front() == u'/')) subfolder.erase(0, 1);
  for (int lines = 0; !subfolder.empty() && lines < kSelfRemovalFolderLimit; ++lines) {
    text += quoted_line(u"rd", kv::join_path(install_folder, subfolder));
    std::size_t cut = subfolder.find_last_of(u"\\/");
    if (cut == std::u16string::npos) break;
    subfolder = kv::without_trailing_separators(std::u16string_view(subfolder).substr(0, cut));
  }

  text += quoted_line(u"rd", kv::without_trailing_separators(install_folder));
  for (const std::u16string& parent : parent_folders) text += quoted_line(u"rd", parent);
  text += quoted_line(u"del", batch_path);
  return text;
}

std::vector<std::u16string> installation_parents(const std::vector<std::u16string>& directories,
                                                 std::u16string_view install_folder) {
  const std::u16string install = kv::without_trailing_separators(install_folder);
  std::vector<std::u16string> parents;
  for (const std::u16string& directory : directories) {
    std::u16string folder = kv::without_trailing_separators(directory);
    if (install.empty() || kv::is_drive_root_or_shorter(folder) || kv::same_path(folder, install) ||
        !kv::path_is_within(install, folder))
      continue;
    if (std::none_of(parents.begin(), parents.end(), [&](const std::u16string& p) { return kv::same_path(p, folder); }))
      parents.push_back(folder);
  }
  sort_longest_first(parents);
  return parents;
}

bool batch_may_be_utf8(const kv::OsVersion& os) {
  if (os.platform != kv::kPlatformNt) return false;
  return os.major > 6 || (os.major == 6 && os.minor >= 1);
}

std::string encode_self_removal_batch(std::u16string_view text, bool utf8_allowed) {
  if (!utf8_allowed || kv::is_ascii(text)) return "@chcp 1252 >nul\r\n" + kv::utf16_to_cp1252(text);
  return "@chcp 65001 >nul\r\n" + kv::utf16_to_utf8(text);
}

}  // namespace uninstall
