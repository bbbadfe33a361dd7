#include "uninstall_records.h"

#include <limits>

#include "text.h"

namespace uninstall {
namespace {

bool is_blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::u16string_view trim(std::u16string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && is_blank(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && is_blank(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

bool all_digits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// Leading digits after an optional sign, saturating at `limit`.
template <class Char>
std::uint64_t leading_digits(std::basic_string_view<Char> text, bool& negative, std::uint64_t limit) {
  negative = false;
  std::size_t i = 0;
  while (i < text.size() && is_blank(static_cast<char16_t>(text[i]))) ++i;
  if (i < text.size() && (text[i] == Char('-') || text[i] == Char('+'))) negative = text[i++] == Char('-');
  std::uint64_t value = 0;
  for (; i < text.size() && text[i] >= Char('0') && text[i] <= Char('9'); ++i) {
    auto digit = static_cast<std::uint64_t>(text[i] - Char('0'));
    value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
  }
  return value;
}

std::vector<std::string> quoted_texts(std::string_view value) {
  std::vector<std::string> texts;
  std::size_t pos = 0;
  while ((pos = value.find('"', pos)) != std::string_view::npos) {
    std::string text;
    ++pos;
    for (;;) {
      if (pos >= value.size()) break;
      if (value[pos] == '"') {
        if (pos + 1 < value.size() && value[pos + 1] == '"') {
          text += '"';
          pos += 2;
          continue;
        }
        ++pos;
        break;
      }
      text += value[pos++];
    }
    texts.push_back(std::move(text));
  }
  return texts;
}

}  // namespace

std::vector<FontRecord> parse_product_fonts(std::string_view value) {
  std::vector<std::string> texts = quoted_texts(value);
  std::vector<FontRecord> fonts;
  for (std::size_t i = 0; i + 1 < texts.size(); i += 2) {
    FontRecord font{kv::utf8_to_utf16(texts[i]), kv::from_marked(texts[i + 1])};
    if (!font.name.empty() && !font.file_name.empty()) fonts.push_back(std::move(font));
  }
  return fonts;
}

std::optional<MsiRecord> parse_msi_line(std::string_view line) {
  std::size_t comma = line.rfind(',');
  if (comma == std::string_view::npos) return std::nullopt;
  std::string_view package = trim(line.substr(0, comma));
  if (package.size() >= 2 && package.front() == '"' && package.back() == '"')
    package = package.substr(1, package.size() - 2);
  else if (package.starts_with('"'))
    package.remove_prefix(1);
  std::u16string path = kv::from_marked(package);
  if (path.empty()) return std::nullopt;
  bool negative = false;
  auto level = static_cast<int>(leading_digits(line.substr(comma + 1), negative, 0x7FFFFFFF));
  return MsiRecord{std::move(path), negative ? -level : level};
}

std::optional<FirewallRecord> parse_firewall_line(std::string_view line) {
  std::vector<std::string_view> fields;
  for (;;) {
    std::size_t cut = line.find(';');
    fields.push_back(line.substr(0, cut));
    if (cut == std::string_view::npos) break;
    line.remove_prefix(cut + 1);
  }
  if (fields.size() != 4) return std::nullopt;
  FirewallRecord record;
  if (all_digits(fields[0])) {
    bool negative = false;
    record.is_port = true;
    record.port = static_cast<std::uint32_t>(leading_digits(fields[0], negative, 0xFFFFFFFF));
    std::uint64_t protocols = leading_digits(fields[2], negative, 0xFFFFFFFF);
    record.tcp = (protocols & 1) != 0;
    record.udp = (protocols & 2) != 0;
  } else {
    record.program = kv::from_marked(fields[0]);
    if (record.program.empty()) return std::nullopt;
  }
  return record;
}

FlagWords parse_product_flags(std::u16string_view text) {
  bool negative = false;
  constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  std::uint64_t magnitude = leading_digits(text, negative, kMax + 1);
  if (!negative && magnitude > kMax) magnitude = kMax;
  std::uint64_t value = negative ? ~magnitude + 1 : magnitude;
  return {static_cast<std::uint32_t>(value), static_cast<std::uint32_t>(value >> 32)};
}

std::uint32_t parse_product_flags2(std::u16string_view text) {
  bool negative = false;
  auto value = static_cast<std::uint32_t>(leading_digits(text, negative, 0xFFFFFFFF));
  return negative ? ~value + 1 : value;
}

std::optional<std::u16string> support_address(std::u16string_view offer) {
  std::u16string address(trim(offer));
  if (address.empty() || address.find_first_of(u" \t\r\n\"") != std::u16string::npos) return std::nullopt;
  if (kv::istarts_with(address, u"http://") || kv::istarts_with(address, u"https://") ||
      kv::istarts_with(address, u"mailto:"))
    return address;
  if (kv::istarts_with(address, u"www.")) return u"http://" + address;
  std::size_t at = address.find(u'@');
  if (at != std::u16string::npos && at > 0 && address.find(u'.', at) != std::u16string::npos &&
      address.find(u'@', at + 1) == std::u16string::npos && address.back() != u'.')
    return u"mailto:" + address;
  return std::nullopt;
}

}  // namespace uninstall
