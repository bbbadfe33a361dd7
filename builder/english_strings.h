#pragma once
// The builder's built-in English string table. Every installer carries a
// complete table, so an author only overrides single texts or adds a
// language; numbers without an entry are written as empty strings.
//
// Texts are UTF-8 and use "\r\n" for line breaks. "<product>",
// "<description>" and "<os>" are replaced by the runtime before use. Where
// `values` is not empty the runtime completes the text printf-style, and the
// text holds exactly those conversions in that order.
#include <span>

namespace builder {

struct EnglishString {
  int number;
  const char* text;
  const char* use;     // where the text appears
  const char* values;  // what completes it, in order; "" for a plain text
};

// Sorted by number, each number once.
extern const std::span<const EnglishString> kEnglishStrings;

// Size of the dense table an installer carries: the highest number + 1.
int english_string_count();

}  // namespace builder
