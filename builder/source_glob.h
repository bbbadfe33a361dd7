#pragma once
// The files a [[files]] source names: a path, or a pattern with "*" (any
// run of characters within a name), "?" (one character), "[abc]" / "[a-z]"
// (one of a set) and "**" (any number of folders, also none). Wildcards do
// not match names that begin with a full stop unless the pattern's name does.
// Matches come sorted by their path, so a build never depends on the order
// in which the file system lists a folder.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace builder {

struct SourceMatch {
  std::filesystem::path file;
  // The folders between the pattern's fixed part and the file, separated by
  // backslashes ("" for a file directly in it).
  std::string subfolder;
};

bool has_wildcards(std::string_view pattern);

// Whether a single name matches a pattern without folder separators.
bool name_matches(std::string_view pattern, std::string_view name);

// The regular files the source names, relative to `base` unless absolute.
// A source without wildcards names exactly that file (none when it does not
// exist).
std::vector<SourceMatch> expand_source(const std::filesystem::path& base, std::string_view source);

}  // namespace builder
