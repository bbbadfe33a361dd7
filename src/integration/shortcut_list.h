#pragma once
// The decisions of the shortcut step, apart from the shell: which entries
// the settings' flags add, how an entry's texts become a link's target,
// arguments, icon, working folder and name, which links an entry makes and
// where, the texts of the log and the error report, and the rules of the
// root shortcut and the taskbar pin.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os_version.h"
#include "product_flags.h"
#include "settings.h"

namespace integration {

inline constexpr char16_t kLinkExtension[] = u".lnk";
inline constexpr char16_t kDesktopIniName[] = u"Desktop.ini";
inline constexpr char16_t kDesktopIconName[] = u"Desktop Icon.ico";
// Below the user's application-data folder: where the shell keeps the
// copies of the links pinned to the taskbar.
inline constexpr char16_t kPinnedTaskbarFolder[] = u"Microsoft\\Internet Explorer\\Quick Launch\\User Pinned\\TaskBar";

// A program and its arguments, taken from one command line.
struct ProgramCommand {
  std::u16string program;
  std::u16string arguments;
  bool operator==(const ProgramCommand&) const = default;
};

// A target with a drive, a scheme or any other colon stays as written; any
// other path lies inside the installation folder.
std::u16string shortcut_target_path(std::u16string path, std::u16string_view install_folder);

// The first token (a quoted text, or the text up to the first blank) without
// its quotes, and the rest, trimmed.
ProgramCommand split_program_command(std::u16string_view command_line);

// Arguments that begin with ~" hold a whole command line: the text up to the
// next double quote is the program, the rest (trimmed) the arguments.
// Nothing for any other arguments.
std::optional<ProgramCommand> split_command_arguments(std::u16string_view arguments);

// A working folder as a link keeps it: trimmed and without trailing
// separators; a bare drive ("C:") keeps its root ("C:\").
std::u16string link_working_folder(std::u16string_view folder);

// The path with ".LNK" appended unless it ends with ".lnk" in any case.
std::u16string link_file_path(std::u16string_view path);

// The link's name has a folder part of its own ("Tools\Name").
bool link_name_has_folder(std::u16string_view name);

// What the entries that the settings' flags add point at.
struct FlagShortcutFacts {
  setup::ProductFlagWords flags;
  std::u16string uninstaller;           // empty: the product has no uninstaller
  std::u16string uninstall_argument;
  std::u16string uninstaller_icon;      // empty: the uninstaller's own
  std::u16string uninstall_folder;
  std::u16string log_path;              // Install.log
  std::u16string uninstaller_link_name;  // localised string 33
  std::u16string log_link_name;          // localised string 86
};

// In the order they join the list: the uninstaller in the start menu, on
// the desktop and in the uninstall folder (each quiet), then the log in the
// start menu. The uninstaller's links are left out when there is no
// uninstaller to point at.
std::vector<setup::ShortcutEntry> flag_shortcuts(const FlagShortcutFacts& facts);

// An entry's texts as the link gets them.
struct ResolvedShortcut {
  std::u16string target;
  std::u16string arguments;
  std::u16string icon;            // empty: the target's
  std::u16string working_folder;  // never empty
  std::u16string link_name;
  std::u16string other_folder;    // empty: none
  bool operator==(const ResolvedShortcut&) const = default;
};

struct ShortcutResolving {
  std::u16string install_folder;
  std::u16string name_format;  // localised string 38: one %s for the target's file name
  std::function<std::u16string(std::u16string)> expand;            // path variables
  std::function<bool(const std::u16string&)> folder_exists;
};

// Expands the entry's texts and applies their defaults: a working folder that
// is missing or does not exist is the installation folder, a target (or
// other folder) without a drive is taken from the installation folder, an
// empty link name is made from the target's file name.
ResolvedShortcut resolve_shortcut(const setup::ShortcutEntry& entry, const ShortcutResolving& how);

enum class LinkPlace { desktop, desktop_folder, start_menu, startup, other_folder, root };

// The folders of the run that links go into.
struct ShortcutFolders {
  std::u16string desktop;
  std::u16string desktop_folder;   // the product's folder on the desktop; empty: none
  std::u16string start_menu;       // the programs folder joined with the product's start-menu folder
  std::u16string user_start_menu;  // a second start-menu copy (old systems, all users); empty: none
  std::u16string startup;
};

struct PlannedLink {
  LinkPlace place;
  std::u16string path;  // with its ".lnk"
  bool operator==(const PlannedLink&) const = default;
};

// Every link an entry makes, in the order they are made.
std::vector<PlannedLink> plan_links(const setup::ShortcutEntry& entry, const ResolvedShortcut& resolved,
                                    const ShortcutFolders& folders);

// The detailed log's line for a link: "Start Menu Shortcut(name) >>> path".
std::u16string link_log_line(LinkPlace place, std::u16string_view name, std::u16string_view path);

// The error report's entry for a link that could not be made.
std::u16string link_failure_text(std::u16string_view cannot_write_text, std::u16string_view path,
                                 std::u16string_view error_text);

// The shortcut list is left out for a portable installation whose settings
// say so.
bool shortcuts_skipped_when_portable(bool portable, std::uint32_t product_flags2);

// "X:\name.lnk" on the installation folder's drive; empty when the folder
// has no drive letter or the name is empty.
std::u16string root_shortcut_path(std::u16string_view install_folder, std::u16string_view name);

// Links are pinned to the taskbar only on the systems whose shell offers the
// verb for it: Windows 7, 8 and 8.1.
bool taskbar_pin_supported(const kv::OsVersion& os);

// The copy of a pinned link that the shell keeps: the application-data
// folder, the pinned-taskbar folder and the link's file name.
std::u16string pinned_link_path(std::u16string_view app_data_folder, std::u16string_view link_path);

// Windows 95 and 98 keep a second start-menu copy for the current user.
bool start_menu_needs_user_copy(const kv::OsVersion& os, bool all_users);

}  // namespace integration
