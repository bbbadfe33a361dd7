#include "registry_entry_list.h"

#include <limits>

#include "csv.h"
#include "product_flags.h"
#include "text.h"

namespace integration {
namespace {

constexpr std::size_t kValueFields = 5;

bool is_blank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string trimmed(std::u16string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return std::u16string(text);
}

int hex_digit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

std::optional<std::vector<std::uint8_t>> hex_bytes(std::u16string_view text) {
  std::vector<std::uint8_t> bytes;
  int high = -1;
  for (char16_t c : text) {
    if (is_blank(c)) continue;
    int digit = hex_digit(c);
    if (digit < 0) return std::nullopt;
    if (high < 0) {
      high = digit;
    } else {
      bytes.push_back(static_cast<std::uint8_t>(high << 4 | digit));
      high = -1;
    }
  }
  if (high >= 0) return std::nullopt;
  return bytes;
}

void append_little_endian(std::vector<std::uint8_t>& bytes, std::uint64_t value, int size) {
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> string_bytes(std::u16string_view text) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve((text.size() + 1) * 2);
  for (char16_t c : text) append_little_endian(bytes, c, 2);
  append_little_endian(bytes, 0, 2);
  return bytes;
}

}  // namespace

RegistryAction registry_action(std::int64_t action) {
  switch (action) {
    case 1:
    case 3: return RegistryAction::write;
    case 4:
    case 5: return RegistryAction::remove;
    case 6: return RegistryAction::write_if_missing;
    default: return RegistryAction::nothing;
  }
}

std::vector<std::u16string_view> registry_list_lines(std::u16string_view list) {
  std::vector<std::u16string_view> lines;
  while (!list.empty()) {
    std::size_t end = list.find_first_of(u"\r\n");
    lines.push_back(list.substr(0, end));
    if (end == std::u16string_view::npos) break;
    // CR LF and LF CR each end one line.
    std::size_t next = end + 1;
    if (next < list.size() && (list[next] == u'\r' || list[next] == u'\n') && list[next] != list[end]) ++next;
    list.remove_prefix(next);
  }
  return lines;
}

RegistryRecord read_registry_record(std::u16string_view line) {
  std::vector<std::u16string> fields = kv::csv_split(line);
  RegistryRecord record;
  if (fields.size() == 1) {
    record.key_path = trimmed(fields[0]);
    record.kind = record.key_path.empty() ? RegistryRecord::blank : RegistryRecord::key;
  } else if (fields.size() == kValueFields) {
    record.kind = RegistryRecord::value;
    record.key_path = trimmed(fields[0]);
    record.value_name = std::move(fields[1]);
    record.type = static_cast<std::uint32_t>(leading_decimal(fields[2]));
    record.data = std::move(fields[3]);
    record.action = leading_decimal(fields[4]);
  } else {
    record.kind = RegistryRecord::illegal;
  }
  return record;
}

std::int64_t leading_decimal(std::u16string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (is_blank(text[i]) || text[i] == u'\r' || text[i] == u'\n')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  constexpr std::uint64_t kLimit = std::uint64_t(std::numeric_limits<std::int64_t>::max()) + 1;
  std::uint64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value > kLimit / 10 ? kLimit : value * 10 + (text[i] - u'0');
    if (value > kLimit) value = kLimit;
  }
  if (negative) return value == kLimit ? std::numeric_limits<std::int64_t>::min() : -std::int64_t(value);
  return value == kLimit ? std::numeric_limits<std::int64_t>::max() : std::int64_t(value);
}

std::optional<RegistryData> registry_data(std::uint32_t type, std::u16string_view text,
                                          const std::function<std::u16string(std::u16string)>& expand) {
  RegistryData data{type, {}};
  switch (type) {
    case registry_type::kString:
      data.bytes = string_bytes(expand(std::u16string(text)));
      break;
    case registry_type::kExpandableString:
      data.bytes = string_bytes(text);
      break;
    case registry_type::kBinary: {
      std::optional<std::vector<std::uint8_t>> bytes = hex_bytes(text);
      if (!bytes) return std::nullopt;
      data.bytes = std::move(*bytes);
      break;
    }
    case registry_type::kNumber32: {
      // Both readings of 32 bits: -1 and 4294967295 are the same number.
      std::int64_t value = leading_decimal(text);
      if (value < std::numeric_limits<std::int32_t>::min()) value = std::numeric_limits<std::int32_t>::min();
      if (value > std::int64_t(std::numeric_limits<std::uint32_t>::max()))
        value = std::numeric_limits<std::uint32_t>::max();
      append_little_endian(data.bytes, static_cast<std::uint64_t>(value), 4);
      break;
    }
    case registry_type::kNumber64:
      append_little_endian(data.bytes, static_cast<std::uint64_t>(leading_decimal(text)), 8);
      break;
    default:
      break;
  }
  return data;
}

std::u16string illegal_registry_entry_text(std::u16string_view line) {
  return u"Illegal registry entry: " + std::u16string(line) + u"\r\n";
}

std::u16string key_not_created_text(std::u16string_view key_path) {
  return u"Failed to create registry key: " + std::u16string(key_path) + u"\r\n";
}

std::u16string value_not_created_text(std::u16string_view value_name, std::u16string_view error_text) {
  return u"Failed to create registry value \"" + std::u16string(value_name) + u"\": " + std::u16string(error_text) +
         u"\r\n";
}

std::u16string product_key_failed_text(std::u16string_view product_registry, std::uint32_t code,
                                       std::u16string_view error_text) {
  return u"Error creating registry keys at \\Software\\" + std::u16string(product_registry) + u"\r\nCode " +
         kv::to_u16(code) + u": " + std::u16string(error_text) + u"\r\n\r\n";
}

std::u16string created_key_record(kv::RegistryRoot root, std::u16string_view key) {
  if (!key.empty() && is_blank(key.back())) return {};
  return kv::csv_record(std::vector<std::u16string>{std::u16string(kv::registry_root_name(root)) + u"\\" +
                                                    std::u16string(key)});
}

bool registry_skipped_when_portable(bool portable, std::uint32_t product_flags2) {
  return portable && (product_flags2 & setup::flags2::kPortableNoRegistry);
}

}  // namespace integration
