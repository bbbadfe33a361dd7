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
// The names of the key's values.
namespace key_value {
inline constexpr char16_t kUninstallString[] = u"UninstallString";
inline constexpr char16_t kQuietUninstallString[] = u"QuietUninstallString";
inline constexpr char16_t kDisplayName[] = u"DisplayName";
inline constexpr char16_t kInstallSource[] = u"InstallSource";
inline constexpr char16_t kPublisher[] = u"Publisher";
inline constexpr char16_t kBitness[] = u"Bitness";
inline constexpr char16_t kDisplayVersion[] = u"DisplayVersion";
inline constexpr char16_t kNoDowngradeBelow[] = u"NoDowngradeBelow";
inline constexpr char16_t kDisplayIcon[] = u"DisplayIcon";
inline constexpr char16_t kVersionMajor[] = u"VersionMajor";
inline constexpr char16_t kVersionMinor[] = u"VersionMinor";
inline constexpr char16_t kProductRegistry[] = u"ProductRegistry";
inline constexpr char16_t kProductStartMenu[] = u"ProductStartMenu";
inline constexpr char16_t kSharedPath[] = u"SharedPath";
inline constexpr char16_t kProductFonts[] = u"ProductFonts";
inline constexpr char16_t kProductFlags[] = u"ProductFlags";
inline constexpr char16_t kProductFlags2[] = u"ProductFlags2";
inline constexpr char16_t kUninstallBatch1[] = u"UninstallBatch1";
inline constexpr char16_t kUninstallBatch2[] = u"UninstallBatch2";
inline constexpr char16_t kSharedFiles[] = u"SharedFiles";
inline constexpr char16_t kUninstallSubdir[] = u"UninstallSubdir";
inline constexpr char16_t kAddToPathSubfolder[] = u"AddToPathSubfolder";
inline constexpr char16_t kShortcutMode[] = u"ShortcutMode";
inline constexpr char16_t kNotifyURL[] = u"NotifyURL";
inline constexpr char16_t kSupportOffer[] = u"SupportOffer";
inline constexpr char16_t kDesktopFolder[] = u"DesktopFolder";
inline constexpr char16_t kEstimatedSize[] = u"EstimatedSize";
inline constexpr char16_t kDisplayTitle[] = u"DisplayTitle";
inline constexpr char16_t kTitleColor[] = u"TitleColor";
inline constexpr char16_t kTitleSize[] = u"TitleSize";
inline constexpr char16_t kTopColor[] = u"TopColor";
inline constexpr char16_t kBottomColor[] = u"BottomColor";
inline constexpr char16_t kMonoColor[] = u"MonoColor";
inline constexpr char16_t kTitleShadow[] = u"TitleShadow";
inline constexpr char16_t kTitlePosition[] = u"TitlePosition";
inline constexpr char16_t kTitleFont[] = u"TitleFont";
inline constexpr char16_t kTaskbarText[] = u"TaskbarText";
inline constexpr char16_t kCopyrightText[] = u"CopyrightText";
inline constexpr char16_t kCopyrightFont[] = u"CopyrightFont";
inline constexpr char16_t kCopyrightSize[] = u"CopyrightSize";
inline constexpr char16_t kCopyrightColor[] = u"CopyrightColor";
inline constexpr char16_t kCopyrightPos[] = u"CopyrightPos";
inline constexpr char16_t kBitmapSize[] = u"BitmapSize";
inline constexpr char16_t kBitmapTPI[] = u"BitmapTPI";
inline constexpr char16_t kStretchMode[] = u"StretchMode";
inline constexpr char16_t kInstallLocation[] = u"InstallLocation";
inline constexpr char16_t kInstallDate[] = u"InstallDate";
}  // namespace key_value

// The key's name: the settings' own, else the product's name.
std::u16string uninstall_key_name(const setup::Settings& settings, std::u16string_view product_name);
// The key below HKEY_LOCAL_MACHINE.
std::u16string uninstall_key_path(std::u16string_view key_name);

// The background window's look, as the key keeps it for the uninstaller.
struct BackgroundLook {
  std::u16string title;  // DisplayTitle
  std::u16string title_size = u"1";
  std::uint32_t title_color = 0;
  bool title_color_set = false;  // else the system's window-text colour
  std::uint32_t title_shadow = 1;
  std::uint32_t top_color = 0;
  bool top_color_set = false;  // else the system's window colour
  std::uint32_t bottom_color = 0;
  std::uint32_t mono_color = 1;
  std::uint32_t title_position = 0;
  std::string title_font;
  std::u16string taskbar_text = u"Setup";
  std::u16string copyright_text;
  std::string copyright_font;
  std::u16string copyright_size = u"0";
  std::string copyright_color;
  std::uint32_t copyright_position = 0;
  // With ProductFlags bit 0x8000: "Installer Background.bmp" of the
  // uninstall folder (set by the uninstaller, which knows that folder).
  std::u16string background_bitmap;
  std::int32_t bitmap_tpi = -1;
  std::uint32_t stretch_mode = 0;
  std::uint32_t bitmap_size = 0;
};

// What the key tells of an installed product: the uninstaller's whole
// configuration, and what the next installation of the product reads.
// 8-bit texts are in the system's ANSI code page.
struct InstalledProduct {
  std::u16string display_name;  // DisplayName; may be empty
  std::u16string install_folder;
  std::u16string display_version;
  std::u16string publisher;
  std::u16string uninstall_string;
  std::u16string quiet_uninstall_string;
  std::u16string no_downgrade_below;
  std::uint32_t flags_low = 0;
  std::uint32_t flags_high = 0;
  std::uint32_t flags2 = 0;
  bool product_64bit = false;  // Bitness 1
  std::u16string uninstall_subdir;
  std::u16string add_to_path_subfolder;
  std::string product_fonts;
  std::uint32_t shortcut_mode = 0;  // 1: shortcuts for all users
  std::string notify_url;
  std::u16string desktop_folder_name;
  std::string support_offer;
  std::u16string shared_path;
  std::u16string product_start_menu;
  std::string uninstall_batch1;
  std::string uninstall_batch2;
  std::string shared_files;
  std::u16string product_registry;
  BackgroundLook display;

  bool has_low(std::uint32_t bit) const { return (flags_low & bit) != 0; }
  bool has_high(std::uint32_t bit) const { return (flags_high & bit) != 0; }
};

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
