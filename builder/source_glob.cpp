#include "source_glob.h"

#include <algorithm>
#include <map>

#include "utf8_paths.h"

namespace builder {
namespace {

// Deep enough for any real product; stops a folder that links to itself.
constexpr int kMaxDepth = 64;

std::vector<std::string> split(std::string_view pattern) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : pattern) {
    if (c == '/' || c == '\\') {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

struct Walk {
  const std::vector<std::string>& parts;
  std::map<std::string, SourceMatch> found;  // by generic path: sorted, no duplicates

  static bool hidden(std::string_view name, std::string_view pattern) {
    return !name.empty() && name[0] == '.' && (pattern.empty() || pattern[0] != '.');
  }

  void add(const std::filesystem::path& file, const std::string& subfolder) {
    std::u8string key = file.generic_u8string();
    found.emplace(std::string(key.begin(), key.end()), SourceMatch{file, subfolder});
  }

  void visit(const std::filesystem::path& dir, std::size_t i, const std::string& subfolder, int depth) {
    if (depth > kMaxDepth || i >= parts.size()) return;
    const std::string& part = parts[i];
    bool last = i + 1 == parts.size();
    std::error_code ec;
    if (part == "**") {
      if (!last) visit(dir, i + 1, subfolder, depth + 1);
      for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = path_to_utf8(it->path().filename());
        if (hidden(name, "")) continue;
        if (last && it->is_regular_file(ec)) add(it->path(), subfolder);
        // Linked folders are not followed: they could lead back here.
        if (it->is_directory(ec) && !it->is_symlink(ec))
          visit(it->path(), i, subfolder.empty() ? name : subfolder + "\\" + name, depth + 1);
      }
      return;
    }
    if (!has_wildcards(part)) {
      std::filesystem::path next = dir / path_from_utf8(part);
      if (last) {
        if (std::filesystem::is_regular_file(next, ec)) add(next, subfolder);
      } else if (std::filesystem::is_directory(next, ec)) {
        visit(next, i + 1, subfolder.empty() ? part : subfolder + "\\" + part, depth + 1);
      }
      return;
    }
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
      std::string name = path_to_utf8(it->path().filename());
      if (hidden(name, part) || !name_matches(part, name)) continue;
      if (last) {
        if (it->is_regular_file(ec)) add(it->path(), subfolder);
      } else if (it->is_directory(ec)) {
        visit(it->path(), i + 1, subfolder.empty() ? name : subfolder + "\\" + name, depth + 1);
      }
    }
  }
};

// "[...]" at pattern[i]: whether c is in the set; `end` is set past "]".
bool set_matches(std::string_view pattern, std::size_t i, char c, std::size_t& end) {
  std::size_t j = i + 1;
  bool negate = j < pattern.size() && (pattern[j] == '!' || pattern[j] == '^');
  if (negate) ++j;
  bool in = false;
  std::size_t first = j;
  for (; j < pattern.size() && (pattern[j] != ']' || j == first); ++j) {
    if (j + 2 < pattern.size() && pattern[j + 1] == '-' && pattern[j + 2] != ']') {
      if (pattern[j] <= c && c <= pattern[j + 2]) in = true;
      j += 2;
    } else if (pattern[j] == c) {
      in = true;
    }
  }
  if (j >= pattern.size()) {  // no closing bracket: a plain "["
    end = i + 1;
    return c == '[';
  }
  end = j + 1;
  return in != negate;
}

}  // namespace

bool has_wildcards(std::string_view pattern) { return pattern.find_first_of("*?[") != std::string_view::npos; }

bool name_matches(std::string_view pattern, std::string_view name) {
  // Iterative matching with one backtrack point for the last "*".
  std::size_t p = 0, n = 0, star = std::string_view::npos, star_n = 0;
  while (n < name.size()) {
    std::size_t end = p + 1;
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_n = n;
      continue;
    }
    if (p < pattern.size() &&
        (pattern[p] == '?' || (pattern[p] == '[' ? set_matches(pattern, p, name[n], end) : pattern[p] == name[n]))) {
      p = end;
      ++n;
      continue;
    }
    if (star == std::string_view::npos) return false;
    p = star + 1;
    n = ++star_n;
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::vector<SourceMatch> expand_source(const std::filesystem::path& base, std::string_view source) {
  std::vector<std::string> parts = split(source);
  std::filesystem::path start = base;
  std::size_t i = 0;
  // The fixed folders before the first wildcard are the pattern's base.
  bool absolute = !source.empty() && (source[0] == '/' || source[0] == '\\' || (source.size() > 1 && source[1] == ':'));
  if (absolute) {
    start = path_from_utf8(parts[0].empty() ? "/" : parts[0] + "/");
    i = 1;
  }
  for (; i + 1 < parts.size() && !has_wildcards(parts[i]); ++i) {
    if (parts[i].empty() || parts[i] == ".") continue;
    start /= path_from_utf8(parts[i]);
  }
  std::vector<std::string> rest(parts.begin() + static_cast<std::ptrdiff_t>(i), parts.end());
  Walk walk{rest, {}};
  walk.visit(start, 0, "", 0);
  std::vector<SourceMatch> out;
  for (auto& [key, match] : walk.found) out.push_back(std::move(match));
  return out;
}

}  // namespace builder
