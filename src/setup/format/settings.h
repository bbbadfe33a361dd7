#pragma once
// Everything the author of an installation chose, as read from the settings
// stream: identity, texts, the wizard's look, behaviour flags, folders,
// batches, lists and the string table. docs/format.md describes the
// stream field by field.
//
// Text forms: std::u16string holds UTF-16 text. std::string holds 8-bit
// text; its form is given at each field:
//   marked - plain ASCII as is, anything else "|" + UTF-8 (kv::from_marked)
//   1252   - Windows-1252 (kv::cp1252_to_utf16)
//   ANSI   - the system's ANSI code page, compared byte-wise
//   UTF-8  - UTF-8 (addresses, which are ASCII in practice)
//   bytes  - stored bytes that the consumer interprets
// std::vector<std::uint8_t> holds binary data (sound, icons, bitmap).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "date_time_record.h"
#include "string_table.h"

namespace setup {

// `ProductFlags`: 64 behaviour bits, told as a low and a high 32-bit word.
struct ProductFlagWords {
  std::uint32_t low = 0;
  std::uint32_t high = 0;

  bool has_low(std::uint32_t bit) const { return (low & bit) != 0; }
  bool has_high(std::uint32_t bit) const { return (high & bit) != 0; }
  std::uint64_t value() const { return (std::uint64_t(high) << 32) | low; }
  // The uninstall key keeps the flags as a signed 64-bit decimal number.
  std::int64_t as_signed() const { return static_cast<std::int64_t>(value()); }
  bool operator==(const ProductFlagWords&) const = default;
};

// `ProductFlags` low-word bits with a fixed meaning.
namespace flags_low {
inline constexpr std::uint32_t kMustUninstallOlder = 0x00000001;      // with the must-uninstall version
inline constexpr std::uint32_t kStartMenuUninstaller = 0x00000002;    // start-menu shortcut to the uninstaller
inline constexpr std::uint32_t kRegisterUninstaller = 0x00000004;     // also: detect an existing installation
inline constexpr std::uint32_t kAlwaysGreet = 0x00000008;             // greeting even in automatic mode
inline constexpr std::uint32_t kCompressedArchive = 0x00000020;       // archive chunks are zlib streams
inline constexpr std::uint32_t kDestinationPage = 0x00000080;
inline constexpr std::uint32_t kSingleInstance = 0x00000100;
inline constexpr std::uint32_t kAddToPath = 0x00001000;
inline constexpr std::uint32_t kRebootRequired = 0x00004000;
inline constexpr std::uint32_t kBackgroundBitmap = 0x00008000;
inline constexpr std::uint32_t kUpdateOnly = 0x00010000;              // the update-only data follow
inline constexpr std::uint32_t kDetailedLog = 0x00100000;
inline constexpr std::uint32_t kNoProgressCancel = 0x00200000;       // the progress window's Cancel is disabled
inline constexpr std::uint32_t kPreInstallBatchHidden = 0x00800000;
inline constexpr std::uint32_t kPostInstallBatchHidden = 0x01000000;
inline constexpr std::uint32_t kExitBatchHidden = 0x02000000;
inline constexpr std::uint32_t kNoExistingInstallQuestion = 0x10000000;
inline constexpr std::uint32_t kNoBackgroundWindow = 0x20000000;
inline constexpr std::uint32_t kConfirmFolder = 0x80000000;
}  // namespace flags_low

// `ProductFlags` high-word bits with a fixed meaning.
namespace flags_high {
inline constexpr std::uint32_t kCheckStubChecksum = 0x00000001;
inline constexpr std::uint32_t kDesktopUninstaller = 0x00000002;      // desktop shortcut to the uninstaller
inline constexpr std::uint32_t kStartMenuPage = 0x00000004;
inline constexpr std::uint32_t kCompareVersions = 0x00000010;
inline constexpr std::uint32_t kRefuseNetworkFolders = 0x00000020;
inline constexpr std::uint32_t kUninstallerInUninstallFolder = 0x00000040;  // shortcut there
inline constexpr std::uint32_t kProgressOnWholeScreen = 0x00000100;
inline constexpr std::uint32_t kAlwaysAskRestart = 0x00000200;
inline constexpr std::uint32_t kKeepTitleOnLanguageChange = 0x00000400;  // the background's title
inline constexpr std::uint32_t kNoInteractiveGreeting = 0x00000800;
inline constexpr std::uint32_t kWarnOldVersions = 0x00001000;         // with the warning version
inline constexpr std::uint32_t kWriteReadmeFiles = 0x00004000;
inline constexpr std::uint32_t kWriteLicenceFiles = 0x00008000;
inline constexpr std::uint32_t kNoPathsInStepText = 0x00020000;
inline constexpr std::uint32_t kGrantFolderRights = 0x00040000;
inline constexpr std::uint32_t kStyledGreetingBox = 0x00100000;      // the message-box greeting gets the pages' look
inline constexpr std::uint32_t kLeaveRebootMarker = 0x00200000;
inline constexpr std::uint32_t kRefuseRemovableDrives = 0x00800000;
inline constexpr std::uint32_t kSummaryLogBox = 0x02000000;          // the summary offers the installation log
inline constexpr std::uint32_t kDesktopFolderIsProductName = 0x04000000;
inline constexpr std::uint32_t kStartMenuLogShortcut = 0x08000000;
inline constexpr std::uint32_t kUpgradeBatchHidden = 0x10000000;
inline constexpr std::uint32_t kReinstallBatchHidden = 0x20000000;
inline constexpr std::uint32_t kGrantSharedFolderRights = 0x40000000;  // with kGrantFolderRights
}  // namespace flags_high

// `ProductFlags2`: the container head's flag word (not part of this stream).
namespace flags2 {
inline constexpr std::uint32_t kReinstallBatchSameVersionOnly = 0x00000001;
inline constexpr std::uint32_t kRestorePoint = 0x00000002;
inline constexpr std::uint32_t kStartApplicationTicked = 0x00000004;   // summary page box
inline constexpr std::uint32_t kOpenFolderTicked = 0x00000008;         // summary page box
inline constexpr std::uint32_t kOpenDocumentTicked = 0x00000010;       // summary page box
inline constexpr std::uint32_t kUninstallerWithoutSetupSection = 0x00000020;
inline constexpr std::uint32_t kLogPreInstallBatch = 0x00000040;
inline constexpr std::uint32_t kLogPostInstallBatch = 0x00000080;
inline constexpr std::uint32_t kLogUpgradeBatch = 0x00000100;
inline constexpr std::uint32_t kLogReinstallBatch = 0x00000200;
inline constexpr std::uint32_t kButtonIcons = 0x00000400;              // cleared before Windows Vista
inline constexpr std::uint32_t kPortableNoShortcuts = 0x00000800;      // and no start-menu page
inline constexpr std::uint32_t kEnciphered = 0x00001000;
inline constexpr std::uint32_t kRemoveInstallPathValue = 0x00002000;
inline constexpr std::uint32_t kPortableNoRegistry = 0x00008000;
inline constexpr std::uint32_t kSkipFreeSpaceCheckNonAscii = 0x00010000;
inline constexpr std::uint32_t kPortableNoAssociations = 0x00020000;
inline constexpr std::uint32_t kPortableNoFirewall = 0x00080000;
inline constexpr std::uint32_t kStartApplicationAsProcess = 0x00100000;
}  // namespace flags2

// The 20-byte minimum-system-version record: five u32 compared in this
// order; all zero means no minimum.
struct SystemVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::uint32_t service_pack_major = 0;
  std::uint32_t service_pack_minor = 0;

  bool empty() const { return *this == SystemVersion{}; }
  bool operator==(const SystemVersion&) const = default;
};

// System families: one bit each in the excluded-systems set.
namespace system_family {
inline constexpr std::uint32_t kWindows9x = 0x00000001;        // 95, 98, ME
inline constexpr std::uint32_t kWindowsNT4 = 0x00000002;
inline constexpr std::uint32_t kWindows2000 = 0x00000004;
inline constexpr std::uint32_t kWindowsXP = 0x00000008;        // also XP x64 (5.2 workstation)
inline constexpr std::uint32_t kServer2003 = 0x00000010;
inline constexpr std::uint32_t kWindowsVista = 0x00000020;
inline constexpr std::uint32_t kServer2008 = 0x00000040;       // 2008 and 2008 R2
inline constexpr std::uint32_t kWindows7 = 0x00000080;
inline constexpr std::uint32_t kWindows8 = 0x00000100;
inline constexpr std::uint32_t kWindows81 = 0x00000200;
inline constexpr std::uint32_t kServer2012 = 0x00000400;       // 2012 and 2012 R2
inline constexpr std::uint32_t kWindows10 = 0x00000800;
inline constexpr std::uint32_t kWindows11 = 0x00001000;        // 10.0 from build 22000
inline constexpr std::uint32_t kServer2016 = 0x00002000;       // 10.0 servers: 2016 and later
}  // namespace system_family

// The eight wizard pages whose dialog style (0 to 3) the settings choose.
enum class StyledPage { greeting, language, licence, readme, destination, start_menu, progress, summary };

// A file rule carried out before files are copied or during uninstallation.
struct ConditionalDeletion {
  std::string pattern;        // marked; path variables and wildcards allowed
  std::uint8_t comparison = 0;  // 1-3 date =, >=, <=; 4-6 size =, >=, <=; else none
  std::string operand;        // ASCII: a date with optional time, or a byte count
  std::uint8_t flags = 0;     // ConditionalDeletion::k...
  static constexpr std::uint8_t kOnlyAtRestart = 0x1;
  static constexpr std::uint8_t kRestartWhenLocked = 0x2;
  static constexpr std::uint8_t kDuringInstallation = 0x4;
  static constexpr std::uint8_t kDuringUninstallation = 0x8;  // kept in Uninstall.DAT
  bool operator==(const ConditionalDeletion&) const = default;
};

// A file association.
struct Association {
  std::uint32_t kind = 0;      // 1 verb becomes the default, 2 Open With only, else normal
  std::string extension;      // marked; "." added when missing
  std::string file_type;      // marked; empty or leading "!" = use the current type
  std::string description;    // marked
  std::string verb;           // marked, such as "open"
  std::string verb_caption;   // marked
  std::string command;        // marked; path variables allowed
  std::u16string language;    // applies only in this language when not empty
  std::string icon;           // marked; path variables allowed
  bool operator==(const Association&) const = default;
};

// A shell link made after the files are installed.
struct ShortcutEntry {
  bool on_desktop = false;
  bool in_start_menu = false;
  bool in_startup = false;
  bool keep_at_uninstall = false;
  bool target_has_variables = false;
  bool quiet = false;
  std::uint8_t show_mode = 0;  // 1 minimised without activation, 2 maximised, else normal
  std::u16string target;
  std::u16string link_name;   // may hold subfolders
  std::string icon;           // marked; empty = the target
  std::u16string arguments;
  std::string working_folder;  // marked
  std::string other_folder;    // marked; a further folder for the link when not empty
  bool operator==(const ShortcutEntry&) const = default;
};

// One of the author's own values of the uninstall key.
struct ExtraUninstallValue {
  std::string name;      // marked; "subkey\name" places it in a subkey
  std::uint8_t kind = 0;  // 1 string, 2 expandable string, 4 32-bit number
  std::u16string value;  // path variables allowed
  bool operator==(const ExtraUninstallValue&) const = default;
};

// A rule for closing the product's running programs.
struct CloseRule {
  std::string class_pattern;  // ANSI; empty = not compared, leading "*" = contains
  std::string title_pattern;  // ANSI; as the class pattern
  std::string display_name;   // ANSI; the program's name in the question of mode 2
  std::uint8_t close_mode = 0;   // 0 close request, 1 quit request, 2 ask the user, 3 terminate
  std::uint8_t phase_flags = 0;  // CloseRule::k...
  static constexpr std::uint8_t kBeforeInstalling = 0x1;
  static constexpr std::uint8_t kBeforeUninstallQuestion = 0x2;
  static constexpr std::uint8_t kAfterUninstallQuestion = 0x4;
  bool operator==(const CloseRule&) const = default;
};

// The settings, in stream order (the numbers are the fields' places).
struct Settings {
  static constexpr std::uint32_t kEndMarker = 0xD3E82B97;  // field 87

  ProductFlagWords ProductFlags;                  // 1
  std::uint8_t automatic_mode_choice = 0;         // 2: 1 always, 2 never unless silent
  std::u16string TaskbarText;                     // 3
  std::u16string DisplayTitle;                    // 4: empty = the wizard caption
  double TitleSize = 0;                           // 5
  std::uint32_t progress_window_position = 0;     // 6
  // The caller's hook runs here (background window, settings checksum).
  std::uint16_t minimum_display_time = 0;         // 7: milliseconds, at most 9,999
  std::uint8_t ShortcutMode = 0;                  // 8: 1 all users
  DateTimeRecord uninstaller_file_time;           // 9
  std::u16string Publisher;                       // 10
  std::u16string DisplayName;                     // 11: the product name
  std::u16string product_description;             // 12
  std::uint8_t Bitness = 0;                       // 13: 1 64-bit, 2 32-bit only
  std::uint8_t shared_folder_base = 0;            // 14
  std::u16string SharedPath;                      // 15: the shared subfolder's name
  std::u16string portable_shared_subfolder;       // 16
  std::u16string ProductStartMenu;                // 17
  std::u16string DisplayVersion;                  // 18
  std::u16string default_installation_folder;     // 19
  std::u16string ProductRegistry;                 // 20
  std::u16string registry_entries;                // 21: CSV lines, "[Registry2]"
  std::u16string registry_merge_file;             // 22
  std::int32_t BitmapSize = 0;                    // 23: percent, 0 to 100
  std::uint32_t StretchMode = 0;                  // 24
  std::string link_address;                       // 25: UTF-8
  std::vector<std::string> licence_texts;         // 26: bytes, at most 20
  std::vector<std::string> readme_texts;          // 27: bytes, at most 20
  std::u16string UninstallSubdir;                 // 28
  std::string inf_text;                           // 29: marked
  std::u16string uninstall_key_name;              // 30
  std::string install_path_registry_value;        // 31: marked registry path
  std::u16string header_text;                     // 32
  std::uint8_t greeting_option = 0;               // 33
  std::uint32_t TitleColor = 0;                   // 34
  std::uint8_t TitleShadow = 0;                   // 35
  std::uint8_t TitlePosition = 0;                 // 36
  std::string TitleFont;                          // 37: 1252
  std::uint32_t TopColor = 0;                     // 38
  std::uint32_t BottomColor = 0;                  // 39
  std::vector<std::uint8_t> background_bitmap;    // 40
  std::uint32_t background_bitmap_option = 0;     // 40: present only with a bitmap
  std::uint8_t CopyrightPos = 0;                  // 41: 0 = fields 42 to 45 absent
  std::uint32_t CopyrightColor = 0;               // 42
  double CopyrightSize = 0;                       // 43
  std::u16string CopyrightText;                   // 44
  std::u16string CopyrightFont;                   // 45
  struct UpdateOnly {                             // 46: only with flags_low::kUpdateOnly
    std::u16string product_name;
    std::u16string display_name;
    std::u16string oldest_version;
    bool operator==(const UpdateOnly&) const = default;
  } update_only;
  std::vector<std::uint8_t> sound;                // 47: WAV data
  std::u16string DesktopFolder;                   // 48
  std::vector<std::uint8_t> desktop_folder_icon;  // 49
  std::string pre_installation_batch;             // 50: 1252
  std::string post_installation_batch;            // 50: 1252
  std::string installation_exit_batch;            // 50: 1252
  std::string UninstallBatch1;                    // 51: 1252
  std::string UninstallBatch2;                    // 51: 1252
  std::string upgrade_batch;                      // 51: 1252
  std::string reinstall_batch;                    // 52: 1252
  SystemVersion minimum_system_version;           // 53
  std::uint32_t excluded_systems = 0;             // 54: system_family bits
  bool archive_from_file = false;                 // 55
  std::u16string launch_application;              // 56
  std::u16string run_program;                     // 57
  std::u16string open_document;                   // 58
  std::string start_address;                      // 59: UTF-8
  std::string copy_start_address;                 // 60: UTF-8
  std::string install_address;                    // 61: UTF-8
  std::string upgrade_address;                    // 62: UTF-8
  std::string downgrade_address;                  // 63: UTF-8
  std::string reinstall_address;                  // 64: UTF-8
  std::string NotifyURL;                          // 65: UTF-8
  std::string link_notification_address;          // 66: UTF-8
  std::string warning_version;                    // 67: marked (ASCII)
  std::string NoDowngradeBelow;                   // 68: marked (ASCII), at most 255 bytes
  std::u16string installation_password;           // 69: empty = none
  std::u16string must_uninstall_version;          // 70
  std::string firewall_exceptions;                // 71: UTF-8 lines
  std::u16string AddToPathSubfolder;              // 72
  std::uint64_t extra_space = 0;                  // 73: bytes added to the required space
  std::array<std::uint32_t, 8> page_styles{};     // 73: by StyledPage, 0 to 3
  std::vector<std::uint8_t> uninstaller_icon;     // 74: only with flags_low::kRegisterUninstaller
  std::vector<ConditionalDeletion> conditional_deletions;  // 75: at most 1,000
  std::vector<Association> associations;          // 76: at most 1,000
  std::vector<ShortcutEntry> shortcuts;           // 77: at most 1,000
  std::u16string root_shortcut_command;           // 78
  std::u16string root_shortcut_name;              // 78
  std::u16string taskbar_pin_command;             // 78
  std::u16string taskbar_pin_name;                // 78
  std::vector<ExtraUninstallValue> extra_uninstall_values;  // 79: at most 1,000
  std::string SupportOffer;                       // 80: UTF-8, at most 65,535 bytes
  std::vector<std::uint8_t> product_icon;         // 81
  std::vector<CloseRule> close_rules;             // 82: at most 1,000
  StringTable strings;                            // 83 to 86

  bool MonoColor() const { return TopColor == BottomColor; }
  std::uint32_t page_style(StyledPage page) const { return page_styles[static_cast<int>(page)]; }
  bool operator==(const Settings&) const = default;
};

}  // namespace setup
