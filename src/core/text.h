#pragma once
// Text conversions and small string helpers shared by every subsystem.
//
// UTF-16 text is std::u16string everywhere (on Windows it is the same layout
// as wchar_t, see as_wide in win/wide.h). 8-bit texts are either UTF-8, the
// Windows-1252 code page, the system's ANSI code page (1252 off Windows) or
// the marked form: plain ASCII as is, anything else "|" + UTF-8.
#include <cstdint>
#include <string>
#include <string_view>

namespace kv {

std::string utf16_to_utf8(std::u16string_view text);
// Malformed sequences become U+FFFD.
std::u16string utf8_to_utf16(std::string_view text);

std::u16string cp1252_to_utf16(std::string_view text);
// Characters without a mapping become "?".
std::string utf16_to_cp1252(std::u16string_view text);

// The system's ANSI code page; "?" for what has no mapping.
std::u16string ansi_to_utf16(std::string_view text);
std::string utf16_to_ansi(std::u16string_view text);

// Marked path form.
std::string to_marked(std::u16string_view text);
std::u16string from_marked(std::string_view text);

bool is_ascii(std::u16string_view text);
bool is_ascii(std::string_view text);

// ASCII-only case folding, as the system's file names and keywords compare.
char16_t ascii_lower(char16_t c);
bool iequals(std::u16string_view a, std::u16string_view b);
bool iequals(std::string_view a, std::string_view b);
bool istarts_with(std::u16string_view text, std::u16string_view prefix);
// Position of needle in text ignoring ASCII case, or npos.
std::size_t ifind(std::u16string_view text, std::u16string_view needle, std::size_t from = 0);

// Without blanks, tabs, carriage returns and line feeds at either end.
std::u16string_view trim_white_space(std::u16string_view text);

// Replaces every occurrence of `from` (ignoring ASCII case when asked).
std::u16string replace_all(std::u16string_view text, std::u16string_view from,
                           std::u16string_view to, bool ignore_case = false);
std::string replace_all(std::string_view text, std::string_view from, std::string_view to);

// u"..." literal helpers for code that builds UTF-16 texts from ASCII.
std::u16string ascii_to_utf16(std::string_view ascii);

std::u16string to_u16(std::int64_t value);

}  // namespace kv
