// Batches, the PATH, folder rights and the completion's registry and file
// work on the test prefix: a 64-bit Windows in which the runtime is a 32-bit
// process.
#include <windows.h>

#include <aclapi.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "batch_runner.h"
#include "completion.h"
#include "driver_state.h"
#include "engine_run.h"
#include "folder_rights.h"
#include "icon_resources.h"
#include "install_log.h"
#include "installation_data.h"
#include "integration_run.h"
#include "kv_core.h"
#include "path_environment.h"
#include "path_variables.h"
#include "pending_renames.h"
#include "registry.h"
#include "run_modes.h"
#include "run_state.h"
#include "silent.h"
#include "uninstall_data.h"
#include "uninstall_key.h"
#include "uninstaller_placement.h"
#include "win_handles.h"
#include "test_files_win.h"

namespace {

// The run log of a test: everything the steps log, as UTF-8.
struct StringLog final : engine::RunLogSink {
  std::string text;
  void append(std::string_view utf8) override { text += utf8; }
};

bool exists(const std::u16string& path) { return GetFileAttributesW(kv::as_wide(path)) != INVALID_FILE_ATTRIBUTES; }

// A fresh folder with blanks and brackets in its name, as "Program Files
// (x86)" has them (the batch's command line must quote them right),
// emptied and removed again at the end of each test.
class IntegrationWin : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    folder_ = kv::from_wide(temp) + u"tess integration (x86) " + kv::to_u16(GetCurrentProcessId()) + u"-" +
              kv::to_u16(++counter);
    ASSERT_TRUE(CreateDirectoryW(kv::as_wide(folder_), nullptr));
    engine::run.log.run_log = &log_;
    engine::run.log.error_report.clear();
    engine::run.paths = {};
    engine::run.paths.install_dir = folder_;
    engine::run.paths.uninstall_dir = folder_;
    setup::run.modes = {};
    setup::run.modes.automatic = setup::run.modes.silent = true;
    kv::silent_switch.window_creation_disallowed = true;
  }

  void TearDown() override {
    engine::run.log.run_log = nullptr;
    // The completion makes the installation folder the current one.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    SetCurrentDirectoryW(temp);
    remove_tree(folder_);
  }

  std::u16string in_folder(std::u16string_view name) const { return folder_ + u"\\" + std::u16string(name); }

  std::u16string folder_;
  StringLog log_;
};

TEST_F(IntegrationWin, TitledBatchOutputLandsInTheLog) {
  // Wine's interpreter reads batch files in the OEM code page whatever chcp
  // says, so only ASCII output is compared here.
  ASSERT_TRUE(integration::run_batch("echo running in %InstallDir%\r\nPAUSE\r\necho second line", true, "Test Batch"));
  const std::string folder = kv::utf16_to_utf8(folder_);
  EXPECT_EQ(log_.text, "\r\nRunning Test Batch...\r\nrunning in " + folder + "\r\nsecond line\r\n\r\n");
  EXPECT_FALSE(exists(in_folder(u"SETUPBAT.BAT")));
  EXPECT_FALSE(exists(in_folder(u"cs_batch.log")));

  // Untitled: no Running line and no capture; the batch still runs.
  log_.text.clear();
  ASSERT_TRUE(integration::run_batch("echo made> \"%InstallDir%\\made.txt\"", true));
  EXPECT_EQ(log_.text, "");
  EXPECT_EQ(read_file(in_folder(u"made.txt")), "made\r\n");
  EXPECT_TRUE(integration::run_batch("", true, "Nothing"));
  EXPECT_EQ(log_.text, "");
}

TEST_F(IntegrationWin, BatchFileThatCannotBeWrittenIsReported) {
  // A folder of the batch's name takes its place.
  ASSERT_TRUE(CreateDirectoryW(kv::as_wide(in_folder(u"SETUPBAT.BAT")), nullptr));
  EXPECT_FALSE(integration::run_batch("echo never", true));
  EXPECT_TRUE(log_.text.starts_with("Unable to create batch file \"" + kv::utf16_to_utf8(in_folder(u"SETUPBAT.BAT")) +
                                    "\".\r\n\r\n"))
      << log_.text;
}

class SystemPath : public IntegrationWin {
 protected:
  static constexpr char16_t kKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
  void SetUp() override {
    IntegrationWin::SetUp();
    key_ = kv::reg_open(HKEY_LOCAL_MACHINE, kKey, KEY_READ | KEY_WRITE, kv::RegView::native32);
    ASSERT_TRUE(key_);
    original_ = kv::reg_read_string(key_.get(), u"Path").value_or(u"");
    ASSERT_FALSE(original_.empty());
  }
  void TearDown() override {
    if (key_) kv::reg_write_string(key_.get(), u"Path", original_, REG_EXPAND_SZ);
    IntegrationWin::TearDown();
  }
  std::u16string path_now() { return kv::reg_read_string(key_.get(), u"Path").value_or(u""); }

  kv::UniqueRegKey key_;
  std::u16string original_;
};

TEST_F(SystemPath, AddedOnceAndRemovedAgain) {
  ASSERT_TRUE(CreateDirectoryW(kv::as_wide(in_folder(u"bin")), nullptr));
  integration::change_system_path(integration::PathChange::add, u"bin", folder_);
  std::u16string added = path_now();
  EXPECT_EQ(added, original_ + (original_.ends_with(u";") ? u"" : u";") + in_folder(u"bin"));
  DWORD type = 0;
  kv::reg_read_binary(key_.get(), u"Path", &type);
  EXPECT_EQ(type, DWORD(REG_EXPAND_SZ));

  integration::change_system_path(integration::PathChange::add, u"bin", folder_);
  EXPECT_EQ(path_now(), added);
  integration::change_system_path(integration::PathChange::remove, u"bin", folder_);
  EXPECT_EQ(path_now(), original_);

  integration::change_system_path(integration::PathChange::add, u"missing", folder_);
  EXPECT_EQ(path_now(), original_);
  EXPECT_EQ(log_.text, "Couldn't add \"" + kv::utf16_to_utf8(in_folder(u"missing")) +
                           "\" to the PATH because it does not exist.\r\n");
}

bool everyone_allowed(const std::u16string& path) {
  PACL acl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(kv::as_wide(path), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl,
                            nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  BYTE world[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof world;
  CreateWellKnownSid(WinWorldSid, nullptr, world, &size);
  bool found = false;
  for (DWORD i = 0; acl && i < acl->AceCount && !found; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    if (GetAce(acl, i, reinterpret_cast<void**>(&ace)) && ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE)
      found = EqualSid(&ace->SidStart, world) && (ace->Header.AceFlags & CONTAINER_INHERIT_ACE);
  }
  LocalFree(descriptor);
  return found;
}

TEST_F(IntegrationWin, FolderRightsForEveryone) {
  const std::u16string folder = in_folder(u"data");
  ASSERT_TRUE(CreateDirectoryW(kv::as_wide(folder), nullptr));
  SetFileAttributesW(kv::as_wide(folder), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(integration::grant_folder_rights(folder), 0u);
  EXPECT_EQ(GetFileAttributesW(kv::as_wide(folder)) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
  EXPECT_TRUE(everyone_allowed(folder));
  EXPECT_EQ(log_.text, "Granting rights to directory \"" + kv::utf16_to_utf8(folder) + "\"...OK\r\n");

  log_.text.clear();
  EXPECT_EQ(integration::grant_folder_rights(in_folder(u"none")), 3u);
  EXPECT_TRUE(log_.text.find("...FAILED code 3: ") != std::string::npos) << log_.text;
  EXPECT_TRUE(log_.text.ends_with("\r\n\r\n"));
}

std::vector<std::uint8_t> one_image_icon() {
  std::vector<std::uint8_t> icon = {0, 0, 1, 0, 1, 0,                  // header, one image
                                    16, 16, 0, 0, 1, 0, 32, 0,         // 16 x 16, 32 bits
                                    0, 0, 0, 0, 22, 0, 0, 0};          // size (below), offset 22
  std::vector<std::uint8_t> image(40 + 16 * 16 * 4 + 16 * 4, 0);
  image[0] = 40;                        // BITMAPINFOHEADER
  image[4] = 16;                        // width
  image[8] = 32;                        // height: colour and mask
  image[12] = 1;                        // planes
  image[14] = 32;                       // bits
  std::uint32_t size = std::uint32_t(image.size());
  std::memcpy(&icon[14], &size, 4);
  icon.insert(icon.end(), image.begin(), image.end());
  return icon;
}

TEST_F(IntegrationWin, IconResourcesOfAnExecutableAreReplaced) {
  const std::u16string copy = in_folder(u"program.exe");
  ASSERT_TRUE(CopyFileW(kv::as_wide(kv::module_file_name()), kv::as_wide(copy), FALSE));
  std::vector<std::uint8_t> icon = one_image_icon();
  ASSERT_TRUE(integration::replace_icon_resources(copy, icon));
  EXPECT_EQ(log_.text, "");

  HMODULE module = LoadLibraryExW(kv::as_wide(copy), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HRSRC group = FindResourceExW(module, RT_GROUP_ICON, MAKEINTRESOURCEW(1), 1033);
  ASSERT_NE(group, nullptr);
  auto expected = integration::icon_resources(icon);
  const auto* bytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(module, group)));
  EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + SizeofResource(module, group)), expected->group);
  EXPECT_NE(FindResourceExW(module, RT_ICON, MAKEINTRESOURCEW(1), 1033), nullptr);
  FreeLibrary(module);

  EXPECT_FALSE(integration::replace_icon_resources(in_folder(u"none.exe"), icon));
  EXPECT_EQ(log_.text, "Failed to open uninstaller for icon replacement.\r\n");
}

// A small installation, completed: the uninstaller copied from this test
// program, a readme, Uninstall.DAT, the uninstall key read back in the
// process's own registry view.
class CompletionRun : public IntegrationWin {
 protected:
  static constexpr char16_t kKeyName[] = u"Tessaline Completion Test";
  std::u16string key_path() const { return std::u16string(integration::kUninstallKeyRoot) + u"\\" + kKeyName; }

  void SetUp() override {
    IntegrationWin::SetUp();
    kv::reg_delete_tree(HKEY_LOCAL_MACHINE, key_path(), kv::RegView::native32);
    ASSERT_TRUE(engine::read_pending_renames(pending_before_));
    setup::Settings& s = setup::run.settings;
    s = {};
    s.ProductFlags.low = setup::flags_low::kRegisterUninstaller;
    s.ProductFlags.high = setup::flags_high::kWriteReadmeFiles;
    s.DisplayName = kKeyName;
    s.uninstall_key_name = kKeyName;
    s.DisplayVersion = u"2.15";
    s.UninstallSubdir = u"Uninstall";
    s.readme_texts = {"Read me first."};
    s.TitleSize = 1.5;
    s.extra_uninstall_values = {{"Extra\\Folder", 1, u"%InstallDir%\\data"}, {"Count", 4, u"7"}};
    s.install_path_registry_value = "HKLM\\Software\\Tessaline Completion Test\\Path";
    setup::run.installation.head.data_sizes = {4096, 1024};
    engine::run.paths.product_name = kKeyName;
    engine::run.paths.uninstall_dir = in_folder(u"Uninstall");
    ASSERT_TRUE(CreateDirectoryW(kv::as_wide(engine::run.paths.uninstall_dir), nullptr));
    uninstall::uninstall_data = {};
  }

  void TearDown() override {
    kv::reg_delete_tree(HKEY_LOCAL_MACHINE, key_path(), kv::RegView::native32);
    kv::reg_delete_tree(HKEY_LOCAL_MACHINE, u"Software\\Tessaline Completion Test", kv::RegView::native32);
    engine::write_pending_renames(pending_before_);
    setup::run.settings = {};
    setup::run.installation.head = {};
    IntegrationWin::TearDown();
  }

  std::vector<engine::PendingRename> pending_before_;
};

TEST_F(CompletionRun, RegistersTheProductInItsOwnRegistryView) {
  integration::prepare_uninstaller();
  setup::DriverState driver;
  integration::run_completion(driver);
  EXPECT_FALSE(driver.restart_pending);
  EXPECT_EQ(engine::run.log.error_report, "");

  const std::u16string uninstaller = in_folder(u"Uninstall\\uninstall.exe");
  EXPECT_EQ(integration::run.uninstaller.path, uninstaller);
  EXPECT_EQ(read_file(uninstaller), read_file(kv::module_file_name()));
  EXPECT_EQ(read_file(in_folder(u"readme.txt")), "Read me first.");
  std::string data = read_file(in_folder(u"Uninstall\\Uninstall.DAT"));
  EXPECT_TRUE(data.starts_with(kv::utf16_to_utf8(in_folder(u"readme.txt")) + "\r\n")) << data;

  // The key lives in the 32-bit view, where the uninstaller looks; the
  // 64-bit view does not see it.
  EXPECT_FALSE(kv::reg_open(HKEY_LOCAL_MACHINE, key_path(), KEY_READ, kv::RegView::wow64_64));
  kv::UniqueRegKey key = kv::reg_open(HKEY_LOCAL_MACHINE, key_path(), KEY_READ, kv::RegView::native32);
  ASSERT_TRUE(key);
  EXPECT_EQ(kv::reg_read_string(key.get(), u"UninstallString"),
            u"\"" + uninstaller + u"\" /u:\"Tessaline Completion Test\"");
  EXPECT_EQ(kv::reg_read_string(key.get(), u"InstallLocation"), folder_);
  EXPECT_EQ(kv::reg_read_dword(key.get(), u"VersionMajor"), 2u);
  EXPECT_EQ(kv::reg_read_dword(key.get(), u"VersionMinor"), 15u);
  EXPECT_EQ(kv::reg_read_dword(key.get(), u"EstimatedSize"), 5u);
  EXPECT_EQ(kv::reg_read_string(key.get(), u"TitleSize"), u"1.5");
  EXPECT_EQ(kv::reg_read_string(key.get(), u"ProductFlags"), u"70368744177668");  // high 0x4000, low 0x4
  EXPECT_FALSE(kv::reg_read_string(key.get(), u"Publisher").has_value());
  EXPECT_EQ(kv::reg_read_dword(key.get(), u"Count"), 7u);
  kv::UniqueRegKey extra = kv::reg_open(key.get(), u"Extra", KEY_READ, kv::RegView::native32);
  ASSERT_TRUE(extra);
  EXPECT_EQ(kv::reg_read_string(extra.get(), u"Folder"), folder_ + u"\\data");
  kv::UniqueRegKey install_path =
      kv::reg_open(HKEY_LOCAL_MACHINE, u"Software\\Tessaline Completion Test", KEY_READ, kv::RegView::native32);
  ASSERT_TRUE(install_path);
  EXPECT_EQ(kv::reg_read_string(install_path.get(), u"Path"), folder_);
}

// The author's time is the uninstaller's last-write time, whether it is a
// copy of the running file or an image written without the installation data.
TEST_F(CompletionRun, UninstallerCarriesTheAuthorsTime) {
  setup::run.settings.uninstaller_file_time = {2020, 6, 7, 8, 9, 10};
  SYSTEMTIME wanted{2020, 6, 0, 7, 8, 9, 10, 0};
  FILETIME expected;
  ASSERT_TRUE(SystemTimeToFileTime(&wanted, &expected));
  const std::vector<std::uint8_t> image(4096, 0x5A);
  for (bool stripped : {false, true}) {
    setup::run.installation.head.ProductFlags2 = stripped ? setup::flags2::kUninstallerWithoutSetupSection : 0;
    integration::prepare_uninstaller();
    integration::place_uninstaller(stripped ? std::span<const std::uint8_t>(image) : std::span<const std::uint8_t>());
    kv::UniqueFile file(CreateFileW(kv::as_wide(integration::run.uninstaller.path), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file) << stripped;
    FILETIME written;
    ASSERT_TRUE(GetFileTime(file.get(), nullptr, nullptr, &written));
    EXPECT_EQ(CompareFileTime(&written, &expected), 0) << stripped;
    const std::size_t size = stripped ? image.size() : read_file(kv::module_file_name()).size();
    EXPECT_EQ(read_file(integration::run.uninstaller.path).size(), size);
  }
}

TEST_F(CompletionRun, UninstallerInUseIsReplacedAtTheNextRestart) {
  integration::prepare_uninstaller();
  const std::u16string uninstaller = integration::run.uninstaller.path;
  {
    kv::UniqueFile locked(CreateFileW(kv::as_wide(uninstaller), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(locked);
    integration::place_uninstaller();
  }
  EXPECT_EQ(engine::run.log.error_report, "");
  EXPECT_TRUE(setup::run.settings.ProductFlags.has_low(setup::flags_low::kRebootRequired));
  EXPECT_TRUE(log_.text.starts_with("\"" + kv::utf16_to_utf8(uninstaller) +
                                    "\" was successfully registered for replacement.\r\nTemporary file is \""))
      << log_.text;
  std::vector<engine::PendingRename> pending;
  ASSERT_TRUE(engine::read_pending_renames(pending));
  ASSERT_FALSE(pending.empty());
  EXPECT_EQ(engine::pending_path_key(pending.back().target), engine::pending_path_key(uninstaller));
  std::u16string temporary = pending.back().source;
  if (temporary.starts_with(u"\\??\\")) temporary.erase(0, 4);
  EXPECT_EQ(read_file(temporary), read_file(kv::module_file_name()));
}

}  // namespace
