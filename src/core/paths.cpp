#include "paths.h"

#include <algorithm>

#include "text.h"

namespace kv {
namespace {

bool is_drive_letter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

bool has_drive(std::u16string_view path) { return path.size() >= 2 && is_drive_letter(path[0]) && path[1] == u':'; }

// Length of the part that no trimming may cut: "C:\" or the two
// separators of a UNC start.
std::size_t root_length(std::u16string_view path) {
  if (has_drive(path)) return path.size() >= 3 && is_path_separator(path[2]) ? 3 : 2;
  if (path.size() >= 2 && is_path_separator(path[0]) && is_path_separator(path[1])) return 2;
  return 0;
}

std::u16string folded(std::u16string_view path) {
  std::u16string out = normalise_path(path);
  for (char16_t& c : out) c = ascii_lower(c);
  return out;
}

}  // namespace

bool is_path_separator(char16_t c) { return c == u'\\' || c == u'/'; }

bool is_absolute_path(std::u16string_view path) {
  if (has_drive(path)) return path.size() == 2 || is_path_separator(path[2]);
  return path.size() >= 2 && is_path_separator(path[0]) && is_path_separator(path[1]);
}

bool is_drive_root_or_shorter(std::u16string_view path) { return path.size() <= 3; }

std::u16string join_path(std::u16string_view folder, std::u16string_view name) {
  if (name.empty()) return std::u16string(folder);
  if (folder.empty()) return std::u16string(name);
  while (!name.empty() && is_path_separator(name.front())) name.remove_prefix(1);
  std::u16string out(folder);
  while (out.size() > root_length(out) && is_path_separator(out.back())) out.pop_back();
  if (out.empty() || !is_path_separator(out.back())) out += u'\\';
  out += name;
  return out;
}

std::u16string without_trailing_separators(std::u16string_view path) {
  // A lone "\" (the current drive's root) stays too.
  const std::size_t keep = std::max<std::size_t>(root_length(path), 1);
  while (path.size() > keep && is_path_separator(path.back())) path.remove_suffix(1);
  return std::u16string(path);
}

std::u16string parent_folder(std::u16string_view path) {
  std::size_t cut = path.find_last_of(u"\\/");
  if (cut == std::u16string_view::npos) return {};
  if (cut == 2 && has_drive(path)) return std::u16string(path.substr(0, 3));
  return std::u16string(path.substr(0, cut));
}

std::u16string file_name_of(std::u16string_view path) {
  std::size_t cut = path.find_last_of(u"\\/");
  return std::u16string(cut == std::u16string_view::npos ? path : path.substr(cut + 1));
}

std::u16string normalise_path(std::u16string_view path) {
  std::u16string out;
  out.reserve(path.size());
  std::size_t i = 0;
  if (path.size() >= 2 && is_path_separator(path[0]) && is_path_separator(path[1])) {
    out = u"\\\\";
    for (i = 2; i < path.size() && is_path_separator(path[i]); ++i) {
    }
  }
  for (; i < path.size(); ++i) {
    if (!is_path_separator(path[i]))
      out += path[i];
    else if (out.empty() || out.back() != u'\\')
      out += u'\\';
  }
  return without_trailing_separators(out);
}

bool same_path(std::u16string_view a, std::u16string_view b) { return folded(a) == folded(b); }

bool path_is_within(std::u16string_view path, std::u16string_view ancestor) {
  std::u16string inner = folded(path), outer = folded(ancestor);
  if (outer.empty()) return false;
  if (inner == outer) return true;
  if (inner.size() <= outer.size() || !inner.starts_with(outer)) return false;
  return outer.back() == u'\\' || inner[outer.size()] == u'\\';
}

bool empty_but_for_shell_files(std::span<const std::u16string> names) {
  for (const std::u16string& name : names)
    if (!iequals(name, u"thumbs.db") && !iequals(name, u"desktop.ini")) return false;
  return true;
}

}  // namespace kv
