#pragma once
// The author's registry entry list: lines of comma-separated fields (quoted
// fields allowed). One field names a key to create; five fields are key
// path, value name, value type, value data and action. What a record asks
// for and the data it writes are decided here, apart from the registry.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "registry_path.h"

namespace integration {

// The system's registry type numbers the data conversion knows.
namespace registry_type {
inline constexpr std::uint32_t kString = 1;            // path variables expanded
inline constexpr std::uint32_t kExpandableString = 2;  // as written
inline constexpr std::uint32_t kBinary = 3;            // hexadecimal text
inline constexpr std::uint32_t kNumber32 = 4;
inline constexpr std::uint32_t kNumber64 = 11;
}  // namespace registry_type

// The fifth field.
enum class RegistryAction { nothing, write, write_if_missing, remove };
RegistryAction registry_action(std::int64_t action);

struct RegistryRecord {
  enum Kind { blank, key, value, illegal } kind = blank;
  std::u16string key_path;  // trimmed
  std::u16string value_name;
  std::uint32_t type = 0;
  std::u16string data;
  std::int64_t action = 0;
};

// The list's lines; a line ends at CR, LF or a pair of them.
std::vector<std::u16string_view> registry_list_lines(std::u16string_view list);
RegistryRecord read_registry_record(std::u16string_view line);

// The bytes a value of the type holds. Strings end with their zero; a
// number is the decimal value of the text (a 32-bit one also from its
// negative form); any other type holds no data. Nothing when binary text is
// not pairs of hexadecimal digits (blanks between them are ignored).
struct RegistryData {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> bytes;
  bool operator==(const RegistryData&) const = default;
};
std::optional<RegistryData> registry_data(std::uint32_t type, std::u16string_view text,
                                          const std::function<std::u16string(std::u16string)>& expand);

// The C library's reading of a decimal number: blanks, a sign, digits;
// saturated at the 64-bit limits.
std::int64_t leading_decimal(std::u16string_view text);

// Failure texts of the error report.
std::u16string illegal_registry_entry_text(std::u16string_view line);
std::u16string key_not_created_text(std::u16string_view key_path);
std::u16string value_not_created_text(std::u16string_view value_name, std::u16string_view error_text);
std::u16string product_key_failed_text(std::u16string_view product_registry, std::uint32_t code,
                                       std::u16string_view error_text);

// A key the installation created, as one record of the uninstaller's entry
// list: removed at uninstallation when it is empty. Empty for a key whose
// name ends with a blank, which the uninstaller would read as another key.
std::u16string created_key_record(kv::RegistryRoot root, std::u16string_view key);

// Skipped in a portable installation whose settings say so (ProductFlags2).
bool registry_skipped_when_portable(bool portable, std::uint32_t product_flags2);

}  // namespace integration
