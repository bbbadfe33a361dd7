#include "removal_order.h"

#include <algorithm>

#include "paths.h"
#include "text.h"

namespace uninstall {
namespace {

}  // namespace

void sort_longest_first(std::vector<std::u16string>& directories) {
  std::stable_sort(directories.begin(), directories.end(),
                   [](const std::u16string& a, const std::u16string& b) { return a.size() > b.size(); });
}

std::vector<std::u16string> removal_chain(std::u16string_view folder, std::u16string_view stop_at, int limit) {
  std::vector<std::u16string> chain;
  std::u16string current = kv::without_trailing_separators(folder);
  while (static_cast<int>(chain.size()) < limit) {
    if (kv::is_drive_root_or_shorter(current)) break;
    if (!stop_at.empty() && kv::same_path(current, stop_at)) break;
    chain.push_back(current);
    std::size_t cut = current.find_last_of(u"\\/");
    if (cut == std::u16string::npos) break;
    current = kv::without_trailing_separators(std::u16string_view(current).substr(0, cut));
  }
  return chain;
}

std::vector<std::u16string> start_menu_chain(std::u16string_view programs_folder, std::u16string_view start_menu) {
  std::u16string name = kv::without_trailing_separators(start_menu);
  while (!name.empty() && kv::is_path_separator(name.front())) name.erase(0, 1);
  if (name.empty() || kv::without_trailing_separators(programs_folder).empty()) return {};
  // A name that climbs out of the programs folder is not followed.
  if ((u"\\" + name + u"\\").find(u"\\..\\") != std::u16string::npos) return {};
  return removal_chain(kv::join_path(programs_folder, name), programs_folder, kStartMenuChainLimit);
}

bool may_delete_whole_folder(std::u16string_view folder, const std::vector<std::u16string>& protected_folders) {
  std::u16string trimmed = kv::without_trailing_separators(folder);
  if (kv::is_drive_root_or_shorter(folder) || kv::is_drive_root_or_shorter(trimmed)) return false;
  for (const std::u16string& kept : protected_folders)
    if (!kv::without_trailing_separators(kept).empty() && kv::path_is_within(kept, trimmed)) return false;
  return true;
}

}  // namespace uninstall
