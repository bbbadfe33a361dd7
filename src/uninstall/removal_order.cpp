#include "removal_order.h"

#include <algorithm>

#include "text.h"

namespace uninstall {
namespace {

bool is_separator(char16_t c) { return c == u'\\' || c == u'/'; }

std::u16string folded(std::u16string_view path) {
  std::u16string out = without_trailing_backslash(path);
  for (char16_t& c : out) c = c == u'/' ? u'\\' : kv::ascii_lower(c);
  return out;
}

}  // namespace

std::u16string without_trailing_backslash(std::u16string_view path) {
  while (!path.empty() && is_separator(path.back())) path.remove_suffix(1);
  return std::u16string(path);
}

bool same_folder(std::u16string_view a, std::u16string_view b) { return folded(a) == folded(b); }

bool folder_is_within(std::u16string_view folder, std::u16string_view ancestor) {
  std::u16string inner = folded(folder), outer = folded(ancestor);
  if (outer.empty()) return false;
  return inner == outer || (inner.size() > outer.size() && inner.starts_with(outer) && inner[outer.size()] == u'\\');
}

std::u16string join_folder(std::u16string_view base, std::u16string_view name) {
  while (!name.empty() && is_separator(name.front())) name.remove_prefix(1);
  std::u16string out(base);
  if (name.empty()) return out;
  if (!out.empty() && !is_separator(out.back())) out += u'\\';
  out += name;
  return out;
}

bool is_drive_root_or_shorter(std::u16string_view path) { return path.size() <= 3; }

bool is_absolute_path(std::u16string_view path) {
  return (path.size() >= 3 && path[1] == u':' && is_separator(path[2])) ||
         (path.size() >= 2 && is_separator(path[0]) && is_separator(path[1]));
}

void sort_longest_first(std::vector<std::u16string>& directories) {
  std::stable_sort(directories.begin(), directories.end(),
                   [](const std::u16string& a, const std::u16string& b) { return a.size() > b.size(); });
}

std::vector<std::u16string> removal_chain(std::u16string_view folder, std::u16string_view stop_at, int limit) {
  std::vector<std::u16string> chain;
  std::u16string current = without_trailing_backslash(folder);
  while (static_cast<int>(chain.size()) < limit) {
    if (is_drive_root_or_shorter(current)) break;
    if (!stop_at.empty() && same_folder(current, stop_at)) break;
    chain.push_back(current);
    std::size_t cut = current.find_last_of(u"\\/");
    if (cut == std::u16string::npos) break;
    current = without_trailing_backslash(std::u16string_view(current).substr(0, cut));
  }
  return chain;
}

std::vector<std::u16string> start_menu_chain(std::u16string_view programs_folder, std::u16string_view start_menu) {
  std::u16string name = without_trailing_backslash(start_menu);
  while (!name.empty() && is_separator(name.front())) name.erase(0, 1);
  if (name.empty() || without_trailing_backslash(programs_folder).empty()) return {};
  // A name that climbs out of the programs folder is not followed.
  if ((u"\\" + name + u"\\").find(u"\\..\\") != std::u16string::npos) return {};
  return removal_chain(join_folder(programs_folder, name), programs_folder, kStartMenuChainLimit);
}

bool may_delete_whole_folder(std::u16string_view folder, const std::vector<std::u16string>& protected_folders) {
  std::u16string trimmed = without_trailing_backslash(folder);
  if (is_drive_root_or_shorter(folder) || is_drive_root_or_shorter(trimmed)) return false;
  for (const std::u16string& kept : protected_folders)
    if (!without_trailing_backslash(kept).empty() && folder_is_within(kept, trimmed)) return false;
  return true;
}

}  // namespace uninstall
