#include "version_compare.h"

#include <vector>

namespace engine {
namespace {

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool is_letter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool is_blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

struct ParsedVersion {
  std::vector<std::u16string_view> numbers;  // digit runs without leading zeros ("" is 0)
  char16_t suffix = 0;
};

ParsedVersion parse(std::u16string_view text) {
  ParsedVersion version;
  if (!text.empty() && text[0] == u'.') version.numbers.push_back({});
  std::size_t i = 0;
  while (i < text.size()) {
    if (!is_digit(text[i])) {
      if (is_letter(text[i])) version.suffix = text[i];
      ++i;
      continue;
    }
    std::size_t start = i;
    while (i < text.size() && is_digit(text[i])) ++i;
    std::u16string_view run = text.substr(start, i - start);
    while (!run.empty() && run[0] == u'0') run.remove_prefix(1);
    version.numbers.push_back(run);
  }
  return version;
}

// Digit runs without leading zeros: the longer is the greater, equal lengths
// compare digit by digit. No number is too large to compare.
int compare_numbers(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  int order = a.compare(b);
  return order < 0 ? -1 : order > 0 ? 1 : 0;
}

}  // namespace

std::optional<std::u16string> clean_file_version(std::u16string_view file_version) {
  std::size_t begin = 0, end = file_version.size();
  while (begin < end && is_blank(file_version[begin])) ++begin;
  while (end > begin && is_blank(file_version[end - 1])) --end;
  if (begin == end) return std::nullopt;
  std::u16string text(file_version.substr(begin, end - begin));
  for (char16_t& c : text)
    if (c == u',') c = u'.';
  return text;
}

int compare_versions(std::u16string_view entry, std::u16string_view existing) {
  ParsedVersion a = parse(entry), b = parse(existing);
  for (std::size_t i = 0;; ++i) {
    bool a_ended = i >= a.numbers.size(), b_ended = i >= b.numbers.size();
    if (a_ended && b_ended) break;
    if (a_ended) return -1;
    if (b_ended) return 1;
    if (int order = compare_numbers(a.numbers[i], b.numbers[i])) return order;
  }
  return a.suffix < b.suffix ? -1 : a.suffix > b.suffix ? 1 : 0;
}

}  // namespace engine
