// The uninstall run on a real system: a fake installation made by the test
// (files, folders, registry keys, the uninstall key as the completion writes
// it and Uninstall.DAT), removed by the uninstaller in silent mode; and the
// self-removal batch.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "engine_run.h"
#include "install_log.h"
#include "kv_core.h"
#include "registry.h"
#include "run_modes.h"
#include "run_state.h"
#include "self_removal.h"
#include "uninstall_data_file.h"
#include "uninstaller.h"
#include "win_handles.h"
#include "test_files_win.h"

namespace {

const std::u16string kUninstallRoot = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr kv::RegView kProcessView = kv::RegView::native32;

bool exists(const std::u16string& path) { return GetFileAttributesW(kv::as_wide(path)) != INVALID_FILE_ATTRIBUTES; }

bool key_exists(HKEY root, const std::u16string& key) {
  return static_cast<bool>(kv::reg_open(root, key, KEY_READ, kProcessView));
}

void write_file(const std::u16string& path, const std::string& content = "content") {
  kv::UniqueFile file(
      CreateFileW(kv::as_wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  ASSERT_TRUE(file && WriteFile(file.get(), content.data(), DWORD(content.size()), &written, nullptr));
}

std::u16string g_trace;
void collect_trace(std::u16string_view text) { g_trace.append(text).append(u"\n"); }

class UninstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setup::run.modes.automatic = true;
    setup::run.modes.silent = true;
    kv::silent_switch.window_creation_disallowed = true;
    g_trace.clear();
    kv::set_trace_hook(collect_trace);

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    tag_ = u"TessUninstallTest-" + kv::to_u16(GetCurrentProcessId()) + u"-" + kv::to_u16(++counter);
    root_ = kv::from_wide(temp) + tag_;
    install_ = root_ + u"\\Product \u00c9dition";
    ASSERT_TRUE(CreateDirectoryW(kv::as_wide(root_), nullptr));
    make_installation();
  }

  void TearDown() override {
    kv::set_trace_hook(nullptr);
    kv::reg_delete_tree(HKEY_LOCAL_MACHINE, kUninstallRoot + tag_, kProcessView);
    kv::reg_delete_tree(HKEY_LOCAL_MACHINE, u"Software\\" + tag_, kProcessView);
    kv::reg_delete_tree(HKEY_CURRENT_USER, u"Software\\" + tag_, kProcessView);
    kv::reg_delete_tree(HKEY_CLASSES_ROOT, extension(), kProcessView);
    kv::reg_delete_tree(HKEY_CLASSES_ROOT, file_type(), kProcessView);
    remove_tree(root_);
  }

  std::u16string in_install(const std::u16string& name) const { return install_ + u"\\" + name; }
  std::u16string extension() const { return u"." + tag_; }
  std::u16string file_type() const { return tag_ + u".Document"; }

  // What an installation leaves: files (one read-only), folders, a registry
  // key and value of its own, the product's key, the uninstall key and
  // Uninstall.DAT.
  void make_installation() {
    for (const char16_t* folder : {u"", u"\\bin", u"\\data", u"\\data\\cache", u"\\Uninstall"})
      ASSERT_TRUE(CreateDirectoryW(kv::as_wide(install_ + folder), nullptr));
    files_ = {in_install(u"bin\\app.exe"), in_install(u"data\\a.txt"), in_install(u"data\\cache\\c.bin"),
              in_install(u"readme.txt")};
    for (const std::u16string& file : files_) write_file(file);
    SetFileAttributesW(kv::as_wide(in_install(u"readme.txt")), FILE_ATTRIBUTE_READONLY);
    write_file(in_install(u"Uninstall\\Install.log"));

    kv::UniqueRegKey own = kv::reg_create(HKEY_CURRENT_USER, u"Software\\" + tag_ + u"\\Settings",
                                          KEY_READ | KEY_WRITE, kProcessView);
    ASSERT_TRUE(own);
    kv::reg_write_string(own.get(), u"Path", install_);
    kv::UniqueRegKey product = kv::reg_create(HKEY_LOCAL_MACHINE, u"Software\\" + tag_ + u"\\Product",
                                              KEY_READ | KEY_WRITE, kProcessView);
    ASSERT_TRUE(product);
    kv::reg_write_string(product.get(), u"Version", u"1.0");

    // A file association the installation made.
    kv::reg_write_string(kv::reg_create(HKEY_CLASSES_ROOT, extension(), KEY_WRITE, kProcessView).get(), u"",
                         file_type());
    kv::reg_write_string(
        kv::reg_create(HKEY_CLASSES_ROOT, file_type() + u"\\shell\\open\\command", KEY_WRITE, kProcessView).get(),
        u"", u"app.exe \"%1\"");

    kv::UniqueRegKey key =
        kv::reg_create(HKEY_LOCAL_MACHINE, kUninstallRoot + tag_, KEY_READ | KEY_WRITE, kProcessView);
    ASSERT_TRUE(key);
    kv::reg_write_string(key.get(), u"DisplayName", u"Tess Test Product");
    kv::reg_write_string(key.get(), u"InstallLocation", install_);
    kv::reg_write_string(key.get(), u"UninstallSubdir", u"Uninstall");
    kv::reg_write_string(key.get(), u"ProductFlags", u"0");
    kv::reg_write_string(key.get(), u"ProductFlags2", u"0");
    kv::reg_write_dword(key.get(), u"Bitness", 0);
    kv::reg_write_string(key.get(), u"ProductRegistry", tag_ + u"\\Product");
    kv::reg_write_string(key.get(), u"DisplayVersion", u"1.0");
    kv::reg_write_string(key.get(), u"UninstallBatch1", u"echo first> \"" + marker(1) + u"\"");
    kv::reg_write_string(key.get(), u"UninstallBatch2", u"echo second> \"" + marker(2) + u"\"");

    uninstall::UninstallData data;
    using uninstall::RemovalKind;
    for (const char16_t* folder : {u"", u"\\bin", u"\\data", u"\\data\\cache", u"\\Uninstall"})
      uninstall::add_to_removal_list_w(data, install_ + folder, RemovalKind::directory);
    for (const std::u16string& file : files_) uninstall::add_to_removal_list_w(data, file, RemovalKind::file);
    uninstall::add_to_removal_list_w(data, u"\\HKCU\\Software\\" + tag_ + u"\\Settings\\Path",
                                     RemovalKind::registry_value);
    uninstall::add_to_removal_list_w(data, u"\\HKCU\\Software\\" + tag_, RemovalKind::registry_key);
    uninstall::add_association(data, kv::to_marked(extension()), kv::to_marked(file_type()), "open", "");
    data.texts[10] = u"Some items could not be removed:\r\n%s";
    data.texts[58] = u"Unable to delete the file";
    ASSERT_TRUE(uninstall::write_uninstall_data(data, data_path()));
  }

  // A file that an uninstall batch writes.
  std::u16string marker(int batch) const { return root_ + u"\\batch" + kv::to_u16(batch) + u".txt"; }

  std::u16string data_path() const { return in_install(u"Uninstall\\Uninstall.DAT"); }

  void expect_removed() {
    for (const std::u16string& file : files_) EXPECT_FALSE(exists(file)) << kv::utf16_to_utf8(file);
    for (const char16_t* folder : {u"bin", u"data\\cache", u"data"})
      EXPECT_FALSE(exists(in_install(folder))) << kv::utf16_to_utf8(folder);
    EXPECT_FALSE(exists(in_install(u"Uninstall\\Install.log")));
    EXPECT_FALSE(exists(data_path()));
    EXPECT_TRUE(exists(marker(1)));
    EXPECT_TRUE(exists(marker(2)));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kUninstallRoot + tag_));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, u"Software\\" + tag_));
    // The product's key and its parent, empty then, are gone.
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, u"Software\\" + tag_));
    EXPECT_FALSE(key_exists(HKEY_CLASSES_ROOT, extension()));
    EXPECT_FALSE(key_exists(HKEY_CLASSES_ROOT, file_type()));
    // The installation and uninstall folders are the self-removal's.
    EXPECT_TRUE(exists(in_install(u"Uninstall")));
  }

  std::u16string tag_, root_, install_;
  std::vector<std::u16string> files_;
};

TEST_F(UninstallerTest, RemovesTheInstallationAndItsRegistration) {
  // Shared files: a file goes only when its count reaches zero, never with
  // the keeping marker, and a file without a count is left alone. The count
  // of a file that went goes with it.
  const std::u16string shared = root_ + u"\\Shared\\";
  ASSERT_TRUE(CreateDirectoryW(kv::as_wide(shared), nullptr));
  const struct {
    std::u16string name;
    std::optional<std::uint32_t> count, count_after;
    bool stays;
  } shared_files[] = {
      {u"once.dll", 1, std::nullopt, false},
      {u"twice.dll", 2, 1, true},
      {u"kept.dll ", 1, 0, true},
      {u"uncounted.dll", std::nullopt, std::nullopt, true},
  };
  const std::u16string counts_key = u"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
  kv::UniqueRegKey counts = kv::reg_create(HKEY_LOCAL_MACHINE, counts_key, KEY_READ | KEY_WRITE, kProcessView);
  ASSERT_TRUE(counts);
  std::u16string value;
  auto path_of = [&shared](const std::u16string& name) { return shared + name.substr(0, name.find(u' ')); };
  for (const auto& file : shared_files) {
    write_file(path_of(file.name));
    if (file.count) kv::reg_write_dword(counts.get(), path_of(file.name), *file.count);
    value += (value.empty() ? u"\"" : u";\"") + shared + file.name + u"\"";
  }
  kv::reg_write_string(kv::reg_open(HKEY_LOCAL_MACHINE, kUninstallRoot + tag_, KEY_WRITE, kProcessView).get(),
                       u"SharedFiles", value);

  EXPECT_EQ(uninstall::uninstall(tag_), setup::RunOutcome::completed) << engine::run.log.error_report;
  expect_removed();
  for (const auto& file : shared_files) {
    SCOPED_TRACE(kv::utf16_to_utf8(file.name));
    EXPECT_EQ(exists(path_of(file.name)), file.stays);
    EXPECT_EQ(kv::reg_read_dword(counts.get(), path_of(file.name)), file.count_after);
    kv::reg_delete_value(counts.get(), path_of(file.name));
  }
}

TEST_F(UninstallerTest, LockedFileStaysForASecondRun) {
  const std::u16string locked = in_install(u"data\\a.txt");
  kv::UniqueFile lock(CreateFileW(kv::as_wide(locked), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock);

  EXPECT_EQ(uninstall::uninstall(tag_), setup::RunOutcome::incomplete);
  EXPECT_TRUE(exists(locked));
  EXPECT_FALSE(exists(in_install(u"bin\\app.exe")));
  EXPECT_FALSE(exists(in_install(u"data\\cache")));
  EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE, kUninstallRoot + tag_));
  // The second batch runs only after a removal without errors.
  EXPECT_TRUE(exists(marker(1)));
  EXPECT_FALSE(exists(marker(2)));
  EXPECT_EQ(engine::run.log.error_report, kv::utf16_to_ansi(u"Unable to delete the file " + locked + u"\r\n"));
  // The summary is not shown in a silent run; it goes to the trace.
  EXPECT_NE(g_trace.find(u"Unable to delete the file " + locked), std::u16string::npos);

  // The rewritten data file keeps the file and its folder for the next run.
  uninstall::UninstallData rewritten;
  ASSERT_EQ(uninstall::read_uninstall_data(data_path(), rewritten), 0u);
  ASSERT_GE(rewritten.removal_lines.size(), 2u);
  EXPECT_EQ(kv::from_marked(rewritten.removal_lines[0]), locked);
  EXPECT_NE(std::find(rewritten.removal_lines.begin(), rewritten.removal_lines.end(),
                      "~" + kv::to_marked(in_install(u"data"))),
            rewritten.removal_lines.end());

  lock.reset();
  EXPECT_EQ(uninstall::uninstall(tag_), setup::RunOutcome::completed) << engine::run.log.error_report;
  expect_removed();
}

TEST_F(UninstallerTest, UnknownProductChangesNothing) {
  const std::u16string name = tag_ + u"-missing";
  EXPECT_EQ(uninstall::uninstall(name), setup::RunOutcome::refused);
  EXPECT_NE(g_trace.find(u"No product named '" + name + u"' is installed."), std::u16string::npos)
      << kv::utf16_to_utf8(g_trace);
  for (const std::u16string& file : files_) EXPECT_TRUE(exists(file));
  EXPECT_TRUE(exists(data_path()));
}

// Wine's command interpreter reads batch files in the OEM code page whatever
// "chcp" says, so this installation's path is plain ASCII.
TEST_F(UninstallerTest, SelfRemovalDeletesTheUninstallerItsFoldersAndItself) {
  const std::u16string install = root_ + u"\\Plain", uninstall_folder = install + u"\\Un\\Inst";
  for (const std::u16string& folder : {install, install + u"\\Un", uninstall_folder})
    ASSERT_TRUE(CreateDirectoryW(kv::as_wide(folder), nullptr));
  const std::u16string uninstaller = uninstall_folder + u"\\setup.exe";
  write_file(uninstaller);
  SetFileAttributesW(kv::as_wide(uninstaller), FILE_ATTRIBUTE_READONLY);

  ASSERT_TRUE(uninstall::start_self_removal(uninstaller, install, u"Un\\Inst"));
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::u16string batch = kv::from_wide(temp) + u"delunins.bat";
  // The batch pauses three seconds before it removes the folders.
  for (int i = 0; i < 300 && (exists(install) || exists(batch)); ++i) Sleep(100);
  EXPECT_FALSE(exists(uninstaller));
  EXPECT_FALSE(exists(install));
  EXPECT_FALSE(exists(batch));
}

}  // namespace
