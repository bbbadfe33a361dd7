#include "folder_text.h"

#include "text.h"

namespace wizard {
namespace {
bool is_separator(char16_t c) { return c == u'\\' || c == u'/'; }
bool is_letter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
}  // namespace

std::u16string drive_root(std::u16string_view folder) {
  if (folder.size() >= 2 && is_letter(folder[0]) && folder[1] == u':') {
    std::u16string root(folder.substr(0, 2));
    return root + u"\\";
  }
  if (folder.size() > 2 && is_separator(folder[0]) && is_separator(folder[1])) {
    // \\server\share\: both names must be there.
    std::size_t server_end = 2;
    while (server_end < folder.size() && !is_separator(folder[server_end])) ++server_end;
    if (server_end == 2 || server_end >= folder.size()) return {};
    std::size_t share_end = server_end + 1;
    while (share_end < folder.size() && !is_separator(folder[share_end])) ++share_end;
    if (share_end == server_end + 1) return {};
    std::u16string root = u"\\\\";
    root += folder.substr(2, server_end - 2);
    root += u"\\";
    root += folder.substr(server_end + 1, share_end - server_end - 1);
    return root + u"\\";
  }
  return {};
}

std::optional<std::u16string> folder_below(std::u16string_view folder, std::u16string_view root) {
  while (!root.empty() && is_separator(root.back())) root.remove_suffix(1);
  while (!folder.empty() && is_separator(folder.back())) folder.remove_suffix(1);
  if (!kv::istarts_with(folder, root)) return std::nullopt;
  std::u16string_view rest = folder.substr(root.size());
  if (rest.empty()) return std::u16string();
  if (!is_separator(rest.front())) return std::nullopt;  // "C:\Programs2" is not under "C:\Programs"
  return std::u16string(rest.substr(1));
}

}  // namespace wizard
