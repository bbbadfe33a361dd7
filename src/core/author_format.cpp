#include "author_format.h"

#include <vector>

namespace kv {
namespace {

bool is_flag_or_width(char16_t c) { return c == u'-' || c == u'+' || c == u' ' || c == u'#' || (c >= u'0' && c <= u'9') || c == u'.'; }
bool is_length(char16_t c) { return c == u'l' || c == u'h' || c == u'z' || c == u'I'; }
bool is_conversion(char16_t c) {
  return c == u's' || c == u'S' || c == u'd' || c == u'i' || c == u'u' || c == u'c' || c == u'x' || c == u'X';
}

}  // namespace

std::u16string fill_format(std::u16string_view format, std::initializer_list<std::u16string_view> values) {
  std::vector<std::u16string_view> args(values);
  std::size_t next = 0;
  std::u16string out;
  out.reserve(format.size() + 32);
  for (std::size_t i = 0; i < format.size(); ++i) {
    char16_t c = format[i];
    if (c != u'%') {
      out += c;
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == u'%') {
      out += u'%';
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    while (j < format.size() && is_flag_or_width(format[j])) ++j;
    while (j < format.size() && is_length(format[j])) ++j;
    if (j < format.size() && is_conversion(format[j]) && next < args.size()) {
      out += args[next++];
      i = j;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace kv
