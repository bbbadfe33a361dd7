// The shortcut step's decisions: command lines split into a program and its
// arguments, working folders and link paths as links keep them, an entry's
// texts with their defaults, the links an entry makes, the entries the
// settings' flags add, and the rules of the root shortcut and the pin.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shortcut_list.h"
#include "text.h"

namespace {

using namespace integration;
using setup::ShortcutEntry;

TEST(ShortcutCommands, ArgumentsThatHoldAWholeCommandLine) {
  struct Case {
    std::u16string_view arguments;
    std::optional<ProgramCommand> split;
  };
  const Case cases[] = {
      {u"~\"C:\\Program Files\\App\\app.exe\" /switch", ProgramCommand{u"C:\\Program Files\\App\\app.exe", u"/switch"}},
      {u"~\"C:\\app.exe\"   /a  /b \t", ProgramCommand{u"C:\\app.exe", u"/a  /b"}},
      {u"~\"C:\\app.exe\"", ProgramCommand{u"C:\\app.exe", u""}},
      {u"~\"C:\\no closing quote /x", ProgramCommand{u"C:\\no closing quote /x", u""}},
      {u"~\"\" /x", ProgramCommand{u"", u"/x"}},
      {u"\"C:\\app.exe\" /switch", std::nullopt},  // an ordinary quoted argument
      {u"~C:\\app.exe", std::nullopt},
      {u" ~\"C:\\app.exe\"", std::nullopt},        // only at the very start
      {u"", std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(split_command_arguments(c.arguments), c.split) << kv::utf16_to_utf8(c.arguments);
}

TEST(ShortcutCommands, FirstTokenIsTheProgram) {
  struct Case {
    std::u16string_view line;
    ProgramCommand command;
  };
  const Case cases[] = {
      {u"\"C:\\Program Files\\App\\app.exe\" -x \"a b\"", {u"C:\\Program Files\\App\\app.exe", u"-x \"a b\""}},
      {u"C:\\App\\app.exe -x -y", {u"C:\\App\\app.exe", u"-x -y"}},
      {u"  C:\\App\\app.exe  ", {u"C:\\App\\app.exe", u""}},
      {u"C:\\App\\app.exe\t-x", {u"C:\\App\\app.exe", u"-x"}},
      {u"\"C:\\App\\app.exe\"-x", {u"C:\\App\\app.exe", u"-x"}},
      {u"", {u"", u""}},
  };
  for (const Case& c : cases) EXPECT_EQ(split_program_command(c.line), c.command) << kv::utf16_to_utf8(c.line);
}

TEST(ShortcutPaths, WorkingFolderTrimmedAndWithoutTrailingSeparator) {
  struct Case {
    std::u16string_view folder, kept;
  };
  const Case cases[] = {
      {u" C:\\App\\ ", u"C:\\App"},
      {u"C:\\App\\\\", u"C:\\App"},
      {u"C:\\", u"C:\\"},
      {u"C:", u"C:\\"},             // a bare drive gets its root back
      {u" D:\\\\ ", u"D:\\"},
      {u"\\\\server\\share\\", u"\\\\server\\share"},
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(link_working_folder(c.folder), c.kept) << kv::utf16_to_utf8(c.folder);
}

TEST(ShortcutPaths, LinkExtensionOnce) {
  EXPECT_EQ(link_file_path(u"C:\\Menu\\App"), u"C:\\Menu\\App.LNK");
  EXPECT_EQ(link_file_path(u"C:\\Menu\\App.lnk"), u"C:\\Menu\\App.lnk");
  EXPECT_EQ(link_file_path(u"C:\\Menu\\App.LnK"), u"C:\\Menu\\App.LnK");
  EXPECT_EQ(link_file_path(u"C:\\Menu\\App.lnk.txt"), u"C:\\Menu\\App.lnk.txt.LNK");
  EXPECT_EQ(link_file_path(u"C:\\Menu\\Version 2.0"), u"C:\\Menu\\Version 2.0.LNK");
}

TEST(ShortcutPaths, NamesWithAFolderOfTheirOwn) {
  EXPECT_TRUE(link_name_has_folder(u"Tools\\App"));
  EXPECT_TRUE(link_name_has_folder(u"Tools/App"));
  EXPECT_TRUE(link_name_has_folder(u"A\\B\\App"));
  EXPECT_FALSE(link_name_has_folder(u"App"));
  EXPECT_FALSE(link_name_has_folder(u"\\App"));  // folds into the join: no folder is made
  EXPECT_FALSE(link_name_has_folder(u"App\\"));
}

// Path variables as a fixed table, and a disk that has two folders.
ShortcutResolving resolving(std::u16string name_format = u"%s") {
  ShortcutResolving how;
  how.install_folder = u"C:\\Program Files\\App";
  how.name_format = std::move(name_format);
  how.expand = [](std::u16string text) {
    text = kv::replace_all(text, u"%InstallDir%", u"C:\\Program Files\\App", true);
    return kv::replace_all(text, u"%Docs%", u"C:\\Users\\me\\Documents", true);
  };
  how.folder_exists = [](const std::u16string& path) {
    return kv::iequals(path, u"C:\\Program Files\\App\\bin") || kv::iequals(path, u"C:\\");
  };
  return how;
}

ShortcutEntry entry_for(std::u16string target) {
  ShortcutEntry entry;
  entry.target = std::move(target);
  return entry;
}

TEST(ShortcutEntries, TextsExpandedWithTheirDefaults) {
  ShortcutEntry entry = entry_for(u"%InstallDir%\\bin\\app.exe");
  entry.target_has_variables = true;
  entry.arguments = u"--docs \"%Docs%\"";
  entry.icon = "%InstallDir%\\app.ico";
  entry.working_folder = " %InstallDir%\\bin\\ ";
  entry.link_name = u"  Tools\\App ";
  entry.other_folder = "%Docs%\\Links";
  const ResolvedShortcut resolved = resolve_shortcut(entry, resolving());
  EXPECT_EQ(resolved.target, u"C:\\Program Files\\App\\bin\\app.exe");
  EXPECT_EQ(resolved.arguments, u"--docs \"C:\\Users\\me\\Documents\"");
  EXPECT_EQ(resolved.icon, u"C:\\Program Files\\App\\app.ico");
  EXPECT_EQ(resolved.working_folder, u"C:\\Program Files\\App\\bin");
  EXPECT_EQ(resolved.link_name, u"Tools\\App");
  EXPECT_EQ(resolved.other_folder, u"C:\\Users\\me\\Documents\\Links");
}

TEST(ShortcutEntries, TargetsAndFolders) {
  struct Case {
    std::u16string target;
    bool has_variables;
    std::u16string arguments;
    std::string working_folder;
    ResolvedShortcut resolved;
  };
  const std::u16string app = u"C:\\Program Files\\App";
  const Case cases[] = {
      // Without the flag the target is taken as written.
      {u"%InstallDir%\\a.exe", false, u"", "", {app + u"\\%InstallDir%\\a.exe", u"", u"", app, u"a.exe", u""}},
      // A relative target lies in the installation folder; a bare drive
      // working folder keeps its root.
      {u"bin\\a.exe", false, u"-x", "C:", {app + u"\\bin\\a.exe", u"-x", u"", u"C:\\", u"a.exe", u""}},
      {u"\\a.exe", false, u"", "", {u"C:\\a.exe", u"", u"", app, u"a.exe", u""}},
      // A colon anywhere keeps the target as written: an address.
      {u"https://example.com/help", false, u"", "", {u"https://example.com/help", u"", u"", app, u"help", u""}},
      {u"\\\\server\\share\\a.exe", false, u"", "", {u"\\\\server\\share\\a.exe", u"", u"", app, u"a.exe", u""}},
      // A working folder that does not exist is the installation folder.
      {u"C:\\a.exe", false, u"", "C:\\Missing", {u"C:\\a.exe", u"", u"", app, u"a.exe", u""}},
      // The arguments name the program; the entry's own target is ignored.
      {u"C:\\ignored.exe", true, u"~\"%InstallDir%\\bin\\b.exe\" /s", "",
       {app + u"\\bin\\b.exe", u"/s", u"", app, u"b.exe", u""}},
      {u"C:\\ignored.exe", false, u"~\"b.exe\"", "", {app + u"\\b.exe", u"", u"", app, u"b.exe", u""}},
  };
  for (const Case& c : cases) {
    ShortcutEntry entry = entry_for(c.target);
    entry.target_has_variables = c.has_variables;
    entry.arguments = c.arguments;
    entry.working_folder = c.working_folder;
    EXPECT_EQ(resolve_shortcut(entry, resolving()), c.resolved) << kv::utf16_to_utf8(c.target);
  }
}

TEST(ShortcutEntries, NameDefaultsToTheTargetsFileName) {
  ShortcutEntry entry = entry_for(u"C:\\Tools\\edit.exe");
  EXPECT_EQ(resolve_shortcut(entry, resolving()).link_name, u"edit.exe");
  EXPECT_EQ(resolve_shortcut(entry, resolving(u"Start %s")).link_name, u"Start edit.exe");
  // A text without room for the name, or none at all, still names the link.
  EXPECT_EQ(resolve_shortcut(entry, resolving(u"")).link_name, u"edit.exe");
  EXPECT_EQ(resolve_shortcut(entry, resolving(u"Editor")).link_name, u"Editor");
  entry.link_name = u" \t ";
  EXPECT_EQ(resolve_shortcut(entry, resolving()).link_name, u"edit.exe");
  entry.link_name = u"Editor";
  EXPECT_EQ(resolve_shortcut(entry, resolving(u"Start %s")).link_name, u"Editor");
}

ShortcutFolders folders() {
  ShortcutFolders f;
  f.desktop = u"C:\\Users\\Public\\Desktop";
  f.start_menu = u"C:\\ProgramData\\Start Menu\\Programs\\App";
  f.startup = u"C:\\ProgramData\\Start Menu\\Programs\\StartUp";
  return f;
}

TEST(ShortcutEntries, EveryPlacementMakesItsLink) {
  ShortcutEntry entry = entry_for(u"C:\\App\\app.exe");
  entry.on_desktop = entry.in_start_menu = entry.in_startup = true;
  entry.link_name = u"Tools\\App";
  entry.other_folder = "C:\\Links";
  const ResolvedShortcut resolved = resolve_shortcut(entry, resolving());
  const std::vector<PlannedLink> expected = {
      {LinkPlace::desktop, u"C:\\Users\\Public\\Desktop\\Tools\\App.LNK"},
      {LinkPlace::start_menu, u"C:\\ProgramData\\Start Menu\\Programs\\App\\Tools\\App.LNK"},
      {LinkPlace::startup, u"C:\\ProgramData\\Start Menu\\Programs\\StartUp\\Tools\\App.LNK"},
      {LinkPlace::other_folder, u"C:\\Links\\Tools\\App.LNK"},
  };
  EXPECT_EQ(plan_links(entry, resolved, folders()), expected);

  // The desktop folder takes the desktop's links; an old system's second
  // start-menu copy follows the first.
  ShortcutFolders more = folders();
  more.desktop_folder = u"C:\\Users\\Public\\Desktop\\App Folder";
  more.user_start_menu = u"C:\\Windows\\Start Menu\\Programs\\App";
  entry.in_startup = false;
  entry.other_folder.clear();
  entry.link_name = u"App.lnk";
  const std::vector<PlannedLink> in_folder = {
      {LinkPlace::desktop_folder, u"C:\\Users\\Public\\Desktop\\App Folder\\App.lnk"},
      {LinkPlace::start_menu, u"C:\\ProgramData\\Start Menu\\Programs\\App\\App.lnk"},
      {LinkPlace::start_menu, u"C:\\Windows\\Start Menu\\Programs\\App\\App.lnk"},
  };
  EXPECT_EQ(plan_links(entry, resolve_shortcut(entry, resolving()), more), in_folder);
  more.user_start_menu = u"c:\\programdata\\start menu\\programs\\app\\";  // the same folder: one copy
  EXPECT_EQ(plan_links(entry, resolve_shortcut(entry, resolving()), more).size(), 2u);

  entry.on_desktop = entry.in_start_menu = false;
  EXPECT_TRUE(plan_links(entry, resolve_shortcut(entry, resolving()), folders()).empty());
}

TEST(ShortcutEntries, FlagsAddTheUninstallerAndTheLog) {
  FlagShortcutFacts facts;
  facts.flags.low = setup::flags_low::kStartMenuUninstaller;
  facts.flags.high = setup::flags_high::kDesktopUninstaller | setup::flags_high::kUninstallerInUninstallFolder |
                     setup::flags_high::kStartMenuLogShortcut;
  facts.uninstaller = u"C:\\App\\Uninstall\\uninstall.exe";
  facts.uninstall_argument = u"/u:\"App\"";
  facts.uninstaller_icon = u"C:\\App\\Uninstall\\uninstall.ico";
  facts.uninstall_folder = u"C:\\App\\Uninstall\\Caf\u00e9";
  facts.log_path = u"C:\\App\\Uninstall\\Install.log";
  facts.uninstaller_link_name = u"Uninstall App";
  facts.log_link_name = u"Installation log";
  const std::vector<ShortcutEntry> entries = flag_shortcuts(facts);
  ASSERT_EQ(entries.size(), 4u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(entries[i].target, facts.uninstaller);
    EXPECT_EQ(entries[i].arguments, facts.uninstall_argument);
    EXPECT_EQ(entries[i].link_name, u"Uninstall App");
    EXPECT_EQ(entries[i].icon, "C:\\App\\Uninstall\\uninstall.ico");
    EXPECT_TRUE(entries[i].quiet);
    EXPECT_FALSE(entries[i].keep_at_uninstall || entries[i].target_has_variables);
  }
  EXPECT_TRUE(entries[0].in_start_menu && !entries[0].on_desktop && entries[0].other_folder.empty());
  EXPECT_TRUE(entries[1].on_desktop && !entries[1].in_start_menu && entries[1].other_folder.empty());
  EXPECT_FALSE(entries[2].on_desktop || entries[2].in_start_menu);
  EXPECT_EQ(kv::from_marked(entries[2].other_folder), facts.uninstall_folder);
  EXPECT_TRUE(entries[3].in_start_menu && !entries[3].quiet);
  EXPECT_EQ(entries[3].target, facts.log_path);
  EXPECT_EQ(entries[3].link_name, u"Installation log");
  EXPECT_EQ(entries[3].icon, "");

  // Without an uninstaller only the log's link is left.
  facts.uninstaller.clear();
  ASSERT_EQ(flag_shortcuts(facts).size(), 1u);
  EXPECT_EQ(flag_shortcuts(facts)[0].target, facts.log_path);
  facts.flags = {};
  EXPECT_TRUE(flag_shortcuts(facts).empty());
}

TEST(ShortcutTexts, LogLinesAndTheFailure) {
  EXPECT_EQ(link_log_line(LinkPlace::desktop, u"App", u"C:\\D\\App.LNK"), u"Desktop Shortcut(App) >>> C:\\D\\App.LNK\r\n");
  EXPECT_EQ(link_log_line(LinkPlace::desktop_folder, u"A", u"p"), u"Desktop Folder Shortcut(A) >>> p\r\n");
  EXPECT_EQ(link_log_line(LinkPlace::start_menu, u"A", u"p"), u"Start Menu Shortcut(A) >>> p\r\n");
  EXPECT_EQ(link_log_line(LinkPlace::startup, u"A", u"p"), u"Startup Shortcut(A) >>> p\r\n");
  EXPECT_EQ(link_log_line(LinkPlace::other_folder, u"A", u"p"), u"Shortcut(A) >>> p\r\n");
  EXPECT_EQ(link_log_line(LinkPlace::root, u"A", u"p"), u"Root Shortcut(A) >>> p\r\n");
  EXPECT_EQ(link_failure_text(u"Unable to write the file", u"C:\\D\\App.LNK", u"Access is denied."),
            u"Unable to write the file C:\\D\\App.LNK\r\nAccess is denied.\r\n\r\n");
}

TEST(ShortcutRules, PortableRootShortcutAndPin) {
  EXPECT_TRUE(shortcuts_skipped_when_portable(true, setup::flags2::kPortableNoShortcuts));
  EXPECT_FALSE(shortcuts_skipped_when_portable(false, setup::flags2::kPortableNoShortcuts));
  EXPECT_FALSE(shortcuts_skipped_when_portable(true, setup::flags2::kPortableNoRegistry));

  EXPECT_EQ(root_shortcut_path(u"E:\\Portable\\App", u" App "), u"E:\\App.LNK");
  EXPECT_EQ(root_shortcut_path(u"e:\\App", u"App.lnk"), u"e:\\App.lnk");
  EXPECT_EQ(root_shortcut_path(u"\\\\server\\share\\App", u"App"), u"");
  EXPECT_EQ(root_shortcut_path(u"E:\\App", u"  "), u"");

  EXPECT_EQ(pinned_link_path(u"C:\\Users\\me\\AppData\\Roaming", u"C:\\Temp\\App.LNK"),
            u"C:\\Users\\me\\AppData\\Roaming\\Microsoft\\Internet Explorer\\Quick Launch\\User Pinned\\TaskBar\\App.LNK");

  struct Case {
    std::uint32_t platform, major, minor;
    bool pin;
  };
  const Case systems[] = {
      {kv::kPlatformNt, 6, 0, false},  // Vista
      {kv::kPlatformNt, 6, 1, true},   // 7
      {kv::kPlatformNt, 6, 2, true},   // 8
      {kv::kPlatformNt, 6, 3, true},   // 8.1
      {kv::kPlatformNt, 10, 0, false},
      {kv::kPlatformNt, 5, 1, false},
      {kv::kPlatform9x, 6, 1, false},
  };
  for (const Case& c : systems) {
    kv::OsVersion os;
    os.platform = c.platform;
    os.major = c.major;
    os.minor = c.minor;
    EXPECT_EQ(taskbar_pin_supported(os), c.pin) << c.major << "." << c.minor;
    // Only Windows 95 and 98 keep a second start-menu copy.
    EXPECT_FALSE(start_menu_needs_user_copy(os, true));
  }
  kv::OsVersion windows98;
  windows98.platform = kv::kPlatform9x;
  windows98.major = 4;
  windows98.minor = 10;
  EXPECT_TRUE(start_menu_needs_user_copy(windows98, true));
  EXPECT_FALSE(start_menu_needs_user_copy(windows98, false));
  windows98.minor = 90;  // ME
  EXPECT_FALSE(start_menu_needs_user_copy(windows98, true));
}

}  // namespace
