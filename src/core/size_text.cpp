#include "size_text.h"

#include "text.h"

namespace kv {

std::u16string size_text(std::uint64_t bytes) {
  static constexpr const char16_t* kUnits[] = {u" B", u" KB", u" MB", u" GB", u" TB", u" PB", u" EB"};
  int unit = 0;
  std::uint64_t whole = bytes, rest = 0;  // rest: the remainder below one unit, in bytes
  std::uint64_t unit_bytes = 1;
  while (whole >= 1024 && unit < 6) {
    rest += (whole % 1024) * unit_bytes;
    whole /= 1024;
    unit_bytes *= 1024;
    ++unit;
  }
  std::u16string text;
  if (unit > 0 && whole < 100) {
    // Tenths, rounded; 9.96 KB is shown as 10 KB.
    std::uint64_t tenths = whole * 10 + (rest * 10 + unit_bytes / 2) / unit_bytes;
    text = to_u16(std::int64_t(tenths / 10));
    if (tenths % 10) {
      text += u'.';
      text += char16_t(u'0' + tenths % 10);
    }
  } else {
    text = to_u16(std::int64_t(whole));
  }
  return text + kUnits[unit];
}

}  // namespace kv
