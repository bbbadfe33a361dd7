// The shortcut step on the test prefix where an installer run cannot reach:
// a portable installation (its drive would have to be removable) and a
// desktop folder or icon that cannot be made.
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_run.h"
#include "install_log.h"
#include "kv_core.h"
#include "run_state.h"
#include "shortcuts.h"
#include "test_files_win.h"
#include "uninstall_data.h"
#include "win_handles.h"

namespace {

struct StringLog final : engine::RunLogSink {
  std::string text;
  void append(std::string_view utf8) override { text += utf8; }
};

struct LinkFields {
  std::u16string target, arguments, working_folder;
};

// Read back through the shell's own link object.
LinkFields read_link(const std::u16string& path) {
  kv::ComPtr<IShellLinkW> link;
  EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void()), S_OK);
  kv::ComPtr<IPersistFile> file;
  if (!link || FAILED(link->QueryInterface(IID_IPersistFile, file.put_void())) ||
      FAILED(file->Load(kv::as_wide(path), STGM_READ)))
    return {};
  wchar_t text[MAX_PATH] = {};
  LinkFields fields;
  if (link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH) == S_OK) fields.target = kv::from_wide(text);
  if (link->GetArguments(text, MAX_PATH) == S_OK) fields.arguments = kv::from_wide(text);
  if (link->GetWorkingDirectory(text, MAX_PATH) == S_OK) fields.working_folder = kv::from_wide(text);
  return fields;
}

bool exists(const std::u16string& path) { return GetFileAttributesW(kv::as_wide(path)) != INVALID_FILE_ATTRIBUTES; }

class ShortcutsWin : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = kv::from_wide(temp) + u"tess shortcuts " + kv::to_u16(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(kv::as_wide(folder_), nullptr));
    engine::run.log.run_log = &log_;
    engine::run.log.error_report.clear();
    engine::run.paths = {};
    engine::run.paths.install_dir = folder_;
    engine::run.paths.uninstall_dir = folder_;
    engine::run.paths.product_name = kProduct;
    engine::run.paths.shortcuts_for_all_users = true;
    engine::run.paths.start_menu_folder = kProduct;
    setup::run.settings = {};
    setup::run.settings.ProductFlags.low = setup::flags_low::kDetailedLog;
    setup::run.installation.head = {};
    setup::run.placeholders = {};
    setup::run.placeholders.product = kProduct;
    uninstall::uninstall_data = {};
  }

  void TearDown() override {
    engine::run.log.run_log = nullptr;
    setup::run.settings = {};
    setup::run.installation.head = {};
    engine::run.paths = {};
    uninstall::uninstall_data = {};
    remove_tree(folder_);
    CoUninitialize();
  }

  std::u16string in_folder(std::u16string_view name) const { return folder_ + u"\\" + std::u16string(name); }

  static constexpr char16_t kProduct[] = u"Tessaline Shortcut Test";
  std::u16string folder_;
  StringLog log_;
};

TEST_F(ShortcutsWin, PortableInstallationMakesOnlyTheRootShortcutWhenItsSettingsSaySo) {
  setup::Settings& s = setup::run.settings;
  setup::ShortcutEntry entry;
  entry.on_desktop = entry.in_start_menu = true;
  entry.target = u"tool.exe";
  entry.link_name = u"Tool";
  s.shortcuts = {entry};
  s.root_shortcut_command = u"  \"%InstallDir%\\tool.exe\"  /portable \"x y\" ";
  s.root_shortcut_name = u"<product> Root";
  s.taskbar_pin_command = u"%InstallDir%\\tool.exe";  // never pinned from a portable drive
  setup::run.installation.head.ProductFlags2 = setup::flags2::kPortableNoShortcuts;
  engine::run.paths.portable = true;

  integration::create_shortcuts();

  const std::u16string root = u"C:\\Tessaline Shortcut Test Root.LNK";
  ASSERT_TRUE(exists(root));
  const LinkFields fields = read_link(root);
  DeleteFileW(kv::as_wide(root));
  EXPECT_EQ(fields.target, in_folder(u"tool.exe"));
  EXPECT_EQ(fields.arguments, u"/portable \"x y\"");
  EXPECT_EQ(fields.working_folder, folder_);
  EXPECT_EQ(uninstall::uninstall_data.removal_list, kv::utf16_to_utf8(root) + "\r\n");
  EXPECT_EQ(log_.text, "Root Shortcut(Tessaline Shortcut Test Root) >>> " + kv::utf16_to_utf8(root) + "\r\n");
  EXPECT_EQ(engine::run.log.error_report, "");
}

TEST_F(ShortcutsWin, DesktopFolderOrItsIconThatCannotBeMadeIsReported) {
  setup::Settings& s = setup::run.settings;
  setup::ShortcutEntry entry;
  entry.on_desktop = true;
  entry.quiet = true;
  entry.target = u"tool.exe";
  entry.link_name = u"Tool";
  s.shortcuts = {entry};
  s.desktop_folder_icon = {0, 0, 1, 0};
  ASSERT_TRUE(CloseHandle(CreateFileW(kv::as_wide(in_folder(u"file")), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr)));

  // A file holds the folder's name: the folder, its icon and the quiet
  // entry's link are not made; only the folder is reported.
  engine::run.paths.desktop_shortcuts = in_folder(u"file\\Desktop Folder");
  integration::create_shortcuts();
  EXPECT_TRUE(engine::run.log.error_report.starts_with("Failed to create directory " +
                                                       kv::utf16_to_ansi(in_folder(u"file\\Desktop Folder")) + ": "))
      << engine::run.log.error_report;
  EXPECT_TRUE(engine::run.log.error_report.ends_with("\r\n\r\n"));
  EXPECT_EQ(uninstall::uninstall_data.removal_list, "");

  // The folder is made, but the uninstall folder that takes its icon is
  // missing: the folder has its records and no icon.
  engine::run.log.error_report.clear();
  engine::run.paths.desktop_shortcuts = in_folder(u"Desktop Folder");
  engine::run.paths.uninstall_dir = in_folder(u"missing");
  integration::create_shortcuts();
  const std::u16string icon = in_folder(u"missing\\Desktop Icon.ico");
  EXPECT_EQ(engine::run.log.error_report,
            "Failed to create Desktop shortcut folder icon \"" + kv::utf16_to_ansi(icon) + "\"\r\n");
  const std::string folder = kv::utf16_to_utf8(in_folder(u"Desktop Folder"));
  EXPECT_EQ(uninstall::uninstall_data.removal_list,
            folder + "\\Desktop.ini\r\n~" + folder + "\r\n" + folder + "\\Tool.LNK\r\n");
  EXPECT_TRUE(exists(in_folder(u"Desktop Folder\\Tool.LNK")));
  EXPECT_FALSE(exists(in_folder(u"Desktop Folder\\Desktop.ini")));
}

std::vector<std::u16string> step_texts;

TEST_F(ShortcutsWin, EachLinkIsTheStepTextUnlessPathsStayOut) {
  setup::ShortcutEntry entry;
  entry.target = u"tool.exe";
  entry.link_name = u"Tool";
  entry.other_folder = kv::to_marked(in_folder(u"links"));
  setup::run.settings.shortcuts = {entry};
  setup::run.status_hooks.show_text = [](const std::u16string& text) { step_texts.push_back(text); };
  for (bool paths_stay_out : {false, true}) {
    step_texts.clear();
    setup::run.settings.ProductFlags.high = paths_stay_out ? setup::flags_high::kNoPathsInStepText : 0;
    integration::create_shortcuts();
    EXPECT_EQ(step_texts, paths_stay_out ? std::vector<std::u16string>{}
                                         : std::vector<std::u16string>{in_folder(u"links\\Tool.LNK")});
  }
  setup::run.status_hooks = {};
  // The folder made for the link is recorded with it, once.
  const std::string links = kv::utf16_to_utf8(in_folder(u"links"));
  EXPECT_EQ(uninstall::uninstall_data.removal_list,
            links + "\\Tool.LNK\r\n~" + links + "\r\n" + links + "\\Tool.LNK\r\n");
}

}  // namespace
