#pragma once
// The product's entry in the system's list of installed programs: the
// uninstall key and every value in it. The uninstaller reads most of them
// back as its configuration, and the next installation of the product finds
// the existing one through them.
//
// The values are planned as a pure list from the facts of the run; the
// Windows layer (write_uninstall_key) writes that list in order.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings.h"

namespace integration {

inline constexpr char16_t kUninstallKeyRoot[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

enum class ValueKind {
  text,         // REG_SZ, written as UTF-16
  narrow_text,  // REG_SZ from 8-bit text, written through the 8-bit interface
  expand_text,  // REG_EXPAND_SZ, written as UTF-16
  number,       // REG_DWORD
  remove,       // the value is deleted, so that an earlier installation's goes
};

struct UninstallValue {
  std::u16string subkey;  // below the uninstall key; empty for the key itself
  std::u16string name;
  ValueKind kind = ValueKind::text;
  std::u16string text;
  std::string narrow;
  std::uint32_t number = 0;
  bool author_value = false;  // the author's own: a failure to write it is reported
  bool operator==(const UninstallValue&) const = default;
};

struct CalendarDate {
  int year = 0, month = 0, day = 0;
};

// Everything the key holds, as the run knows it at the completion.
struct UninstallKeyFacts {
  std::u16string uninstaller_path;
  std::u16string uninstall_argument;  // "/u:\"key name\""
  std::u16string product_name;
  std::u16string installer_path;      // the running installer
  std::u16string install_folder;
  std::u16string product_icon_path;   // product.ico when it was written, else empty
  std::u16string start_menu_folder;
  std::u16string shared_folder;
  std::u16string desktop_folder;      // the desktop shortcut folder's name
  std::u16string display_title;       // the background title as shown
  std::string product_fonts;          // the fonts the run installed
  std::string shared_files;           // the shared files the run counted
  std::uint64_t installed_bytes = 0;
  std::uint32_t flags2 = 0;           // ProductFlags2 of the run
  CalendarDate today;
};

// The values in the order they are written; `extra` (the author's own,
// planned by plan_extra_values) go just before InstallLocation.
std::vector<UninstallValue> uninstall_key_values(const setup::Settings& settings, const UninstallKeyFacts& facts,
                                                 const std::vector<UninstallValue>& extra);

// The author's extra values, their texts expanded by `expand`. A name with a
// backslash names a subkey and a value (split at the last backslash). Kinds:
// 1 string, 2 expandable string (both deleted when empty), 4 number. Any
// other kind is a damaged installer: nothing.
std::optional<std::vector<UninstallValue>> plan_extra_values(
    const std::vector<setup::ExtraUninstallValue>& values,
    const std::function<std::u16string(const std::u16string&)>& expand);

// The integer value of a text as the C library reads it: blanks, a sign and
// the leading digits; 0 when there are none.
std::int32_t integer_value(std::u16string_view text);

// "2.15" gives 2 and 15; nothing without a ".".
std::optional<std::pair<std::uint32_t, std::uint32_t>> version_major_minor(std::u16string_view version);

// Installed bytes / 1024, or nothing when that is 0 or does not fit 32 bits.
std::optional<std::uint32_t> estimated_size(std::uint64_t installed_bytes);

// "yymmdd" of the core date formatter: four-digit year, month, day.
std::u16string install_date_text(const CalendarDate& date);

// A real number as its shortest decimal text that reads back the same.
std::string shortest_decimal(double value);

// The three bytes of a colour in stored order: "%02X%02X%02X".
std::string colour_text(std::uint32_t colour);

// "/u:\"name\"".
std::u16string uninstall_argument(std::u16string_view key_name);

// A registry value named by a full path: root, key and value name (split at
// the last backslash). Roots: HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER,
// HKEY_CLASSES_ROOT and HKEY_USERS, long ("HKEY_LOCAL_MACHINE"), short
// ("HKLM") or wrapped ("\HKLM\").
enum class RegistryRoot { local_machine, current_user, classes_root, users };
struct RegistryValueLocation {
  RegistryRoot root = RegistryRoot::local_machine;
  std::u16string key;
  std::u16string value;
};
std::optional<RegistryValueLocation> registry_value_location(std::u16string_view path);

// What the error report gets when the uninstall key could not be created or
// its UninstallString did not read back as written; empty when all is well.
std::u16string uninstall_key_failure_report(bool key_created, bool read_back_matches,
                                            std::u16string_view kept_error_text);

// Windows only.
//
// Creates the uninstall key (in the process's own registry view, where the
// uninstaller and the next installation look for it), writes the planned
// values, writes the installation folder to the author's install-path value
// (`install_path_value`, when not empty) and checks UninstallString by
// reading it back; failures go to the error report.
void write_uninstall_key(const std::u16string& key_name, const std::vector<UninstallValue>& values,
                         const std::u16string& install_path_value, const std::u16string& install_folder);

}  // namespace integration
