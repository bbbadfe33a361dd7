#include "text.h"

namespace kv {
namespace {

// Windows-1252 bytes 0x80..0x9F; 0 marks the five unassigned bytes, which
// convert to the control character of the same value as the system does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

void append_utf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += char16_t(c);
  } else {
    c -= 0x10000;
    out += char16_t(0xD800 + (c >> 10));
    out += char16_t(0xDC00 + (c & 0x3FF));
  }
}

}  // namespace

std::string utf16_to_utf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;  // lone surrogate
    }
    append_utf8(out, c);
  }
  return out;
}

std::u16string utf8_to_utf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    unsigned char b = text[i];
    int extra;
    char32_t c;
    char32_t min;
    if (b < 0x80) {
      out += char16_t(b);
      ++i;
      continue;
    } else if ((b & 0xE0) == 0xC0) {
      extra = 1, c = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2, c = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3, c = b & 0x07, min = 0x10000;
    } else {
      out += char16_t(0xFFFD);
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    bool ok = true;
    for (int k = 0; k < extra; ++k, ++j) {
      if (j >= text.size() || (static_cast<unsigned char>(text[j]) & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      c = (c << 6) | (static_cast<unsigned char>(text[j]) & 0x3F);
    }
    if (!ok || c < min || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
      out += char16_t(0xFFFD);
      i = ok ? j : i + 1;
      continue;
    }
    append_utf16(out, c);
    i = j;
  }
  return out;
}

std::u16string cp1252_to_utf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (unsigned char b : text) {
    if (b >= 0x80 && b < 0xA0 && kCp1252High[b - 0x80])
      out += kCp1252High[b - 0x80];
    else
      out += char16_t(b);
  }
  return out;
}

std::string utf16_to_cp1252(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
      out += char(c);
      continue;
    }
    char mapped = '?';
    for (int k = 0; k < 32; ++k) {
      if (kCp1252High[k] == c || (kCp1252High[k] == 0 && c == 0x80 + k)) {
        mapped = char(0x80 + k);
        break;
      }
    }
    // A surrogate pair is one character and becomes one "?".
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000)
      ++i;
    out += mapped;
  }
  return out;
}

std::string to_marked(std::u16string_view text) {
  if (is_ascii(text)) return std::string(text.begin(), text.end());
  return "|" + utf16_to_utf8(text);
}

std::u16string from_marked(std::string_view text) {
  if (!text.empty() && text[0] == '|') return utf8_to_utf16(text.substr(1));
  return ansi_to_utf16(text);
}

bool is_ascii(std::u16string_view text) {
  for (char16_t c : text)
    if (c >= 0x80) return false;
  return true;
}

bool is_ascii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

char16_t ascii_lower(char16_t c) { return (c >= 'A' && c <= 'Z') ? char16_t(c + 32) : c; }

bool iequals(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
  return true;
}

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (ascii_lower(static_cast<unsigned char>(a[i])) != ascii_lower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool istarts_with(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && iequals(text.substr(0, prefix.size()), prefix);
}

std::size_t ifind(std::u16string_view text, std::u16string_view needle, std::size_t from) {
  if (needle.empty()) return from <= text.size() ? from : std::u16string_view::npos;
  const char16_t first = ascii_lower(needle[0]);
  for (std::size_t i = from; i + needle.size() <= text.size(); ++i)
    if (ascii_lower(text[i]) == first && iequals(text.substr(i, needle.size()), needle)) return i;
  return std::u16string_view::npos;
}

std::u16string_view trim_white_space(std::u16string_view text) {
  auto white = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
  while (!text.empty() && white(text.front())) text.remove_prefix(1);
  while (!text.empty() && white(text.back())) text.remove_suffix(1);
  return text;
}

std::u16string replace_all(std::u16string_view text, std::u16string_view from,
                           std::u16string_view to, bool ignore_case) {
  if (from.empty()) return std::u16string(text);
  std::u16string out;
  std::size_t pos = 0;
  for (;;) {
    std::size_t hit = ignore_case ? ifind(text, from, pos) : text.find(from, pos);
    if (hit == std::u16string_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

std::string replace_all(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string out;
  std::size_t pos = 0;
  for (;;) {
    std::size_t hit = text.find(from, pos);
    if (hit == std::string_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

std::u16string ascii_to_utf16(std::string_view ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

std::u16string to_u16(std::int64_t value) { return ascii_to_utf16(std::to_string(value)); }

}  // namespace kv
