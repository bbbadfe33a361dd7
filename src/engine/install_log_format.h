#pragma once
// printf-style formatting of UTF-16 texts for the log and for localised
// format strings. The arguments carry their types, so a format that does not
// match its arguments (a translated string with one %s too many) prints
// something sensible instead of reading the stack: a missing argument prints
// nothing, a number under %s prints in decimal, a text under %d prints as is.
//
// Conversions: %d %i %u %x %X %c %s %%, with the flags "-" "0" "+" " ",
// a width and a precision; length modifiers (h l ll I64 ...) are accepted
// and ignored. Narrow text arguments are taken as code page 1252.
#include <array>
#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace engine {

class FormatArg {
 public:
  FormatArg(std::u16string_view text) : kind_(Kind::wide), wide_(text) {}
  FormatArg(const std::u16string& text) : kind_(Kind::wide), wide_(text) {}
  FormatArg(const char16_t* text) : kind_(Kind::wide), wide_(text ? text : u"") {}
  FormatArg(std::string_view text) : kind_(Kind::narrow), narrow_(text) {}
  FormatArg(const std::string& text) : kind_(Kind::narrow), narrow_(text) {}
  FormatArg(const char* text) : kind_(Kind::narrow), narrow_(text ? text : "") {}
  template <std::integral T>
  FormatArg(T value)
      : kind_(std::is_signed_v<T> ? Kind::signed_number : Kind::unsigned_number),
        number_(static_cast<std::uint64_t>(value)),
        bytes_(sizeof(T)) {}

  enum class Kind { wide, narrow, signed_number, unsigned_number };
  Kind kind() const { return kind_; }
  bool is_number() const { return kind_ == Kind::signed_number || kind_ == Kind::unsigned_number; }
  std::u16string text() const;      // a text as UTF-16, a number in decimal
  std::int64_t as_signed() const;
  std::uint64_t as_unsigned() const;  // a negative number as its own width's unsigned value

 private:
  Kind kind_;
  std::u16string_view wide_;
  std::string_view narrow_;
  std::uint64_t number_ = 0;
  unsigned bytes_ = 0;
};

std::u16string format_wide_args(std::u16string_view format, std::span<const FormatArg> args);

template <class... Args>
std::u16string format_wide(std::u16string_view format, const Args&... args) {
  const std::array<FormatArg, sizeof...(Args)> list{FormatArg(args)...};
  return format_wide_args(format, list);
}

}  // namespace engine
