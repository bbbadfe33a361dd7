#pragma once
// Shared by the readers of the description's sections (product_*.cpp): the
// state of one reading and the conversions into the settings' text forms.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "assemble.h"
#include "description_reader.h"
#include "named_flags.h"

namespace builder {

struct Reading {
  Description& description;
  Product& product;
  FlagWords flags = default_flag_words();

  setup::Settings& settings() { return product.settings; }
};

std::u16string utf16(std::string_view utf8);
// Windows-1252 text; a character it cannot hold is a problem at the key.
std::optional<std::string> windows_1252(Table& table, std::string_view key, std::u16string_view text);
// Plain ASCII; anything else is a problem at the key.
std::optional<std::string> ascii(Table& table, std::string_view key, std::string_view utf8);
// A problem when `bytes` is above `max`.
bool within(Table& table, std::string_view key, std::size_t bytes, std::size_t max, std::string_view unit);

// The bytes of a file named by a key (binary data the installer carries);
// `check` refuses a file of the wrong kind with "expected <what>".
using FileCheck = bool (*)(std::span<const std::uint8_t>);
std::optional<std::vector<std::uint8_t>> binary_file(Table& table, std::string_view key, FileCheck check,
                                                     std::string_view what);

// A colour: "#RRGGBB", or the stored number itself (0x00BBGGRR).
std::optional<std::uint32_t> colour(Table& table, std::string_view key);

// Reads the boolean keys of kNamedFlags that belong to this section.
void read_named_flags(Table& section, std::string_view section_name, FlagWords& flags);

// The section readers, in the order load_product calls them.
void read_product_identity(Table& root, Reading& r);  // [product] [requirements] [existing] [update_only]
void read_behaviour(Table& root, Reading& r);         // [installation] [shared_folder] [log] [restart]
                                                      // [uninstall] [portable] [taskbar_pin] [desktop_folder]
void read_look(Table& root, Reading& r);              // [wizard] [summary] [background] [notify]
void read_texts(Table& root, Reading& r);             // [strings] [[languages]] [documents] [batches]
void read_files(Table& root, Reading& r);             // [[files]]
void read_lists(Table& root, Reading& r);             // [[shortcuts]] [[registry]] [[associations]]
                                                      // [[firewall]] [[close]] [[delete]]
void read_raw_flags(Table& root, Reading& r);         // [raw_flags], last

}  // namespace builder

namespace builder {

// A registry path that begins with one of the roots the installer knows
// (HKLM, HKEY_LOCAL_MACHINE, \HKLM\, ..., \HKAU\) followed by a key.
bool has_registry_root(std::string_view path);
inline constexpr std::string_view kRegistryRootsText =
    "HKLM\\, HKCU\\, HKCR\\, HKU\\, HKCC\\ or HKDD\\ (or the long forms such as HKEY_LOCAL_MACHINE\\, "
    "or \\HKAU\\ for every user)";

// A TOML date or date-time as the six-integer time record (taken as UTC);
// a missing time part is midnight.
std::optional<setup::DateTimeRecord> date_time_record(Table& table, std::string_view key);

}  // namespace builder
