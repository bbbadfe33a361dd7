#include "driver_rules.h"

#include "document_text.h"
#include "driver_state.h"
#include "kv_core.h"
#include "paths.h"

namespace setup {

std::optional<int> refused_bitness(std::uint8_t product_bitness, bool windows_64bit) {
  if (product_bitness == 1 && !windows_64bit) return 64;
  if (product_bitness == 2 && windows_64bit) return 32;
  return std::nullopt;
}

int install_type(bool compare_versions, std::u16string_view installed, std::u16string_view ours,
                 const VersionCompare& compare) {
  if (!compare_versions || installed.empty() || ours.empty()) return kReinstallNoCompare;
  int order = compare(installed, ours);
  if (order == 0) return kSameVersion;
  return order < 0 ? kUpgrade : kDowngrade;
}

bool must_uninstall_first(bool flag_set, std::u16string_view must_uninstall_version, std::u16string_view installed,
                          const VersionCompare& compare) {
  if (!flag_set) return false;
  return must_uninstall_version.empty() || compare(installed, must_uninstall_version) < 0;
}

bool downgrade_refused(std::u16string_view no_downgrade_below, std::u16string_view ours,
                       const VersionCompare& compare) {
  return !no_downgrade_below.empty() && compare(ours, no_downgrade_below) < 0;
}

std::u16string must_uninstall_command(std::u16string_view uninstall_command, std::u16string_view our_command_line) {
  std::u16string ours(our_command_line);
  for (char16_t& c : ours)
    if (c == u'"') c = u'`';
  return std::u16string(uninstall_command) + u" /r:\"" + ours + u"\"";
}

std::u16string default_folder_text(std::u16string_view setting, std::u16string_view product_name,
                                   std::u16string_view os_name, std::uint8_t bitness) {
  std::u16string text = kv::replace_all(setting, u"<os>", os_name, true);
  if (text.empty()) text = std::u16string(product_name);
  // A text that starts with a path variable is already placed.
  if (kv::is_absolute_path(text) || text.front() == u'%') return text;
  return kv::join_path(u"%ProgramsDir%", text);
}

std::u16string shared_base_variable(std::uint8_t base) {
  switch (base) {
    case 1: return u"%AppDataAllDir%";
    case 2: return u"%CommonDir32%";
    case 3: return u"%CommonDir64%";
    default: return u"%CommonDir%";
  }
}

namespace {

std::string marked_utf16(const std::u16string& text) {
  std::string out = "\xFF\xFE";
  out.reserve(2 + 2 * text.size());
  for (char16_t c : text) {
    out.push_back(char(c & 0xFF));
    out.push_back(char(c >> 8));
  }
  return out;
}

}  // namespace

std::vector<std::string> page_documents(const std::u16string& own_text, const std::vector<std::string>& texts,
                                        const TextExpansion& expand) {
  std::vector<std::string> out;
  if (!own_text.empty()) out.push_back(marked_utf16(own_text));
  // An empty text would be an empty page.
  for (const std::string& text : texts)
    if (!text.empty()) out.push_back(text);
  for (std::string& text : out) {
    wizard::DocumentText document = wizard::document_text(text);
    if (!document.rich) text = marked_utf16(expand(document.plain));
  }
  return out;
}

}  // namespace setup
