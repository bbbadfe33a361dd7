// File installation on a real system: the replacing writer's retries and
// restart scheduling, the file loop's records, fonts and shared-file counts.
// Everything happens in a temporary folder under C:\; registry values and
// pending restart operations the tests make are removed again.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "archive.h"
#include "engine_run.h"
#include "file_install.h"
#include "file_system_win.h"
#include "fonts.h"
#include "install_log.h"
#include "installation_data.h"
#include "localised.h"
#include "overwrite_decision.h"
#include "run_state.h"
#include "run_status.h"
#include "version_compare.h"
#include "path_variables.h"
#include "pending_renames.h"
#include "reboot_operations.h"
#include "registry.h"
#include "replacing_writer.h"
#include "shared_counts.h"
#include "text.h"
#include "uninstall_data.h"
#include "win_handles.h"
#include "test_files_win.h"

namespace {

struct CapturedLog : engine::RunLogSink {
  std::string text;
  void append(std::string_view utf8) override { text += utf8; }
};

// The run's status as the progress window would receive it.
struct RecordedProgress {
  static inline std::vector<std::string> events;
  RecordedProgress() {
    events.clear();
    setup::run.status_hooks.show_text = [](const std::u16string& text) { events.push_back(kv::utf16_to_utf8(text)); };
    setup::run.status_hooks.post_progress = [](int percent) { events.push_back(std::to_string(percent) + "%"); };
  }
  ~RecordedProgress() { setup::run.status_hooks = {}; }
};

std::string utf8(const std::u16string& text) { return kv::utf16_to_utf8(text); }

std::span<const std::uint8_t> bytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

void write_file(const std::u16string& path, const std::string& content, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  kv::UniqueFile file(
      CreateFileW(kv::as_wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file) WriteFile(file.get(), content.data(), DWORD(content.size()), &written, nullptr);
  file.reset();
  SetFileAttributesW(kv::as_wide(path), attributes);
}

setup::FileEntry file_entry(std::uint32_t kind, const char* target, const std::u16string& wide_name,
                            const std::string& data) {
  setup::FileEntry entry;
  entry.kind = kind;
  entry.target_name = target;
  entry.wide_name = wide_name;
  entry.data = bytes(data);
  entry.time = {2019, 5, 6, 7, 8, 9};
  return entry;
}

class FileInstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    folder_ = u"C:\\tess-files-" + kv::to_u16(GetCurrentProcessId()) + u"-" + kv::to_u16(++counter);
    ASSERT_TRUE(CreateDirectoryW(kv::as_wide(folder_), nullptr));
    setup::run.settings = {};
    std::vector<std::u16string> texts(80);
    texts[25] = u"Cannot create folder";
    texts[31] = u"Could not write";
    texts[54] = u"Installing files";
    texts[77] = u"Registering <file>";
    setup::run.strings.assign({u"English"}, 80, texts);
    engine::run.log.run_log = &log_;
    engine::run.log.error_report.clear();
    engine::run.reboot = {};
    uninstall::uninstall_data = {};
    engine::run.paths = {};
    engine::run.paths.install_dir = folder_;
    engine::run.paths.shared_dir = in_folder(u"shared");
  }

  void TearDown() override {
    remove_our_pending_pairs();
    engine::run.log.run_log = nullptr;
    remove_tree(folder_);
  }

  std::u16string in_folder(const std::u16string& name) const { return folder_ + u"\\" + name; }

  bool ours(const engine::PendingRename& rename) const {
    std::u16string key = engine::pending_path_key(folder_ + u"\\");
    return engine::pending_path_key(rename.source).starts_with(key) ||
           engine::pending_path_key(rename.target).starts_with(key);
  }

  std::vector<engine::PendingRename> our_pending_pairs() const {
    std::vector<engine::PendingRename> all, mine;
    EXPECT_TRUE(engine::read_pending_renames(all));
    for (const engine::PendingRename& rename : all)
      if (ours(rename)) mine.push_back(rename);
    return mine;
  }

  void remove_our_pending_pairs() {
    std::vector<engine::PendingRename> all, others;
    if (!engine::read_pending_renames(all)) return;
    for (const engine::PendingRename& rename : all)
      if (!ours(rename)) others.push_back(rename);
    if (others.size() != all.size()) {
      EXPECT_EQ(engine::write_pending_renames(others), ERROR_SUCCESS);
    }
  }

  std::u16string folder_;
  CapturedLog log_;
  engine::FileLoopLists lists_;
  std::vector<setup::ShortcutEntry> shortcuts_;
  RecordedProgress progress_;
};

TEST_F(FileInstallTest, EntryIsWrittenWithTimeAndAttributesAndRecorded) {
  setup::run.settings.ProductFlags.low = setup::flags_low::kDetailedLog;
  const std::string data = "hello";
  setup::FileEntry entry = file_entry(engine::file_kind::kPlain, "app.txt", u"sub\\deep\\", data);
  entry.flags = engine::entry_flags::kDesktopShortcut;
  entry.label = "App";
  // Directory and encrypted fall outside the mask.
  entry.attributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY |
                     FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_ENCRYPTED;
  engine::FileInstaller installer(lists_, shortcuts_);
  installer.install(entry);

  const std::u16string destination = in_folder(u"sub\\deep\\app.txt");
  EXPECT_EQ(read_file(destination), data);
  EXPECT_EQ(GetFileAttributesW(kv::as_wide(destination)),
            DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  SYSTEMTIME entry_time{2019, 5, 0, 6, 7, 8, 9, 0};
  FILETIME expected, created, modified;
  SystemTimeToFileTime(&entry_time, &expected);
  kv::UniqueFile file(CreateFileW(kv::as_wide(destination), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  0, nullptr));
  ASSERT_TRUE(GetFileTime(file.get(), &created, nullptr, &modified));
  EXPECT_EQ(CompareFileTime(&created, &expected), 0);
  EXPECT_EQ(CompareFileTime(&modified, &expected), 0);

  EXPECT_EQ(log_.text, "app.txt >>> " + utf8(destination) + "\r\n");
  EXPECT_EQ(RecordedProgress::events, std::vector<std::string>{utf8(destination)});
  EXPECT_EQ(uninstall::uninstall_data.removal_list,
            "~" + utf8(in_folder(u"sub\\deep")) + "\r\n" + utf8(destination) + "\r\n");
  ASSERT_EQ(shortcuts_.size(), 1u);
  EXPECT_EQ(shortcuts_[0].target, destination);
  EXPECT_EQ(shortcuts_[0].link_name, u"App");
  EXPECT_TRUE(shortcuts_[0].on_desktop);
  EXPECT_FALSE(shortcuts_[0].in_start_menu);
  EXPECT_EQ(lists_.written_paths, std::set<std::u16string>{engine::path_set_key(destination)});
  EXPECT_EQ(engine::run.log.error_report, "");
}

// Whether the system refuses to overwrite a read-only file: Wine run by
// root does not, as root may write any file.
bool read_only_is_enforced(const std::u16string& probe) {
  write_file(probe, "probe", FILE_ATTRIBUTE_READONLY);
  kv::UniqueFile file(
      CreateFileW(kv::as_wide(probe), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  bool refused = !file;
  file.reset();
  SetFileAttributesW(kv::as_wide(probe), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(kv::as_wide(probe));
  return refused;
}

TEST_F(FileInstallTest, ReadOnlyFileIsReplacedOnlyWithProtectedOverwrite) {
  const bool enforced = read_only_is_enforced(in_folder(u"probe.txt"));
  for (bool overwrite_protected : {true, false}) {
    SCOPED_TRACE(overwrite_protected);
    if (!overwrite_protected && !enforced) {
      std::printf("read-only files are writable here: the refusal without protected overwrite is not checked\n");
      continue;
    }
    setup::run.settings.ProductFlags.low = overwrite_protected ? setup::flags_low::kOverwriteProtected : 0;
    const std::u16string destination = in_folder(u"readonly.txt");
    write_file(destination, "old", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    const std::string data = "new";
    engine::FileWriteRequest request;
    request.destination = destination;
    request.data = bytes(data);
    request.existed = true;
    engine::FileWriteResult result = engine::write_replacing_file(request);
    EXPECT_EQ(result.written, overwrite_protected);
    EXPECT_EQ(result.scheduled, !overwrite_protected);  // it existed: the restart replaces it
    EXPECT_EQ(read_file(destination), overwrite_protected ? "new" : "old");
    EXPECT_EQ(engine::run.log.error_report, "");
    SetFileAttributesW(kv::as_wide(destination), FILE_ATTRIBUTE_NORMAL);
  }
}

TEST_F(FileInstallTest, LockedFileIsScheduledForReplacementAtRestart) {
  const std::u16string destination = in_folder(u"locked.dll");
  write_file(destination, "old");
  kv::UniqueFile lock(CreateFileW(kv::as_wide(destination), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock);

  const std::string data = "new";
  engine::FileInstaller installer(lists_, shortcuts_);
  installer.install(file_entry(engine::file_kind::kPlain, "locked.dll", destination, data));
  lock.reset();

  EXPECT_EQ(read_file(destination), "old");
  std::vector<engine::PendingRename> pairs = our_pending_pairs();
  ASSERT_EQ(pairs.size(), 1u);
  const std::u16string temporary = pairs[0].source.substr(pairs[0].source.find(u':') - 1);
  EXPECT_EQ(read_file(temporary), "new");
  EXPECT_EQ(log_.text, "\r\nCould not write " + utf8(destination) + "\r\n" +
                           utf8(engine::system_error_text(ERROR_SHARING_VIOLATION)) + "\r\n" +
                           utf8(engine::replacement_registered_text(destination, temporary)));
  EXPECT_EQ(engine::run.log.error_report, "");
  EXPECT_TRUE(engine::run.reboot.reboot_required);
  EXPECT_TRUE(setup::run.settings.ProductFlags.has_low(setup::flags_low::kRebootRequired));
  // Still the product's file, but not written now: its pending move stays.
  EXPECT_EQ(uninstall::uninstall_data.removal_list, utf8(destination) + "\r\n");
  EXPECT_TRUE(lists_.written_paths.empty());
}

TEST_F(FileInstallTest, UpToDateComServerIsStillQueuedAndCounted) {
  // A library of the system with a version resource stands in for the
  // installed COM server.
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  const std::u16string server = in_folder(u"server.dll");
  ASSERT_TRUE(CopyFileW(kv::as_wide(kv::from_wide(system) + u"\\kernel32.dll"), kv::as_wide(server), FALSE));
  std::optional<std::u16string> version = engine::file_version_text(server);
  ASSERT_TRUE(version);
  std::optional<std::u16string> existing = engine::clean_file_version(*version);
  ASSERT_TRUE(existing);

  const std::string data = "older server";
  setup::FileEntry entry = file_entry(engine::file_kind::kComServer, "server.dll", server, data);
  entry.label = "0.1";
  engine::FileInstaller installer(lists_, shortcuts_);
  installer.install(entry);

  EXPECT_NE(read_file(server), data);
  EXPECT_EQ(log_.text, utf8(server) + " was not installed because its version (0.1) is not newer than " +
                           utf8(*existing) + "\r\n");
  EXPECT_EQ(lists_.com_servers, std::vector<std::string>{utf8(server)});
  ASSERT_EQ(lists_.reference_counts.size(), 1u);
  EXPECT_EQ(lists_.reference_counts[0].marker, '^');
}

TEST_F(FileInstallTest, MissingDriveIsReportedWithoutScheduling) {
  char16_t missing = 0;
  DWORD drives = GetLogicalDrives();
  for (char16_t letter = u'Z'; letter >= u'D' && !missing; --letter)
    if (!((drives >> (letter - u'A')) & 1)) missing = letter;
  ASSERT_NE(missing, 0);
  const std::u16string destination = std::u16string(1, missing) + u":\\App\\x.dll";
  setup::run.settings.ProductFlags.low = setup::flags_low::kScheduleNewFiles;
  engine::FileWriteRequest request;
  request.destination = destination;
  request.existed = true;
  engine::FileWriteResult result = engine::write_replacing_file(request);
  EXPECT_FALSE(result.written);
  EXPECT_FALSE(result.scheduled);
  const std::string drive(1, char(missing));
  EXPECT_EQ(engine::run.log.error_report,
            "\r\nCould not write " + drive + ":\\App\\x.dll\r\nDrive " + drive + ": is not present.\r\n");
  EXPECT_FALSE(engine::run.reboot.reboot_required);
}

TEST_F(FileInstallTest, SharedFileNamedTwiceIsCountedOnce) {
  setup::run.settings.ProductFlags.low = setup::flags_low::kRegisterUninstaller;
  const std::u16string shared = in_folder(u"common\\tess-shared.dll");
  const std::string data = "shared";
  std::vector<setup::FileEntry> entries = {
      file_entry(engine::file_kind::kShared, "tess-shared.dll", shared, data),
      file_entry(engine::file_kind::kShared, "tess-shared.dll", kv::replace_all(shared, u"common", u"COMMON"), data)};
  setup::BuiltArchive archive = setup::build_archive(entries, 4096, {});
  ASSERT_EQ(archive.error, "");
  setup::SectionHead head;
  head.data_sizes = archive.data_sizes;
  setup::RunStatusProgress progress;
  setup::ArchiveReader reader(archive.bytes, head, false, false, &progress);

  static std::set<std::u16string> cleaned;
  engine::run.hooks.clean_pending_operations = [](const std::set<std::u16string>& paths) { cleaned = paths; };
  engine::FileInstaller installer(lists_, shortcuts_);
  engine::install_files(reader, installer);

  kv::UniqueRegKey key = kv::reg_open(HKEY_LOCAL_MACHINE, engine::kSharedDllsKey, KEY_READ | KEY_WRITE,
                                      kv::RegView::native32);
  ASSERT_TRUE(key);
  EXPECT_EQ(kv::reg_read_dword(key.get(), shared), 1u);
  kv::reg_delete_value(key.get(), shared);

  EXPECT_EQ(read_file(shared), data);
  // The second is up to date and not written again, but counted all the same.
  EXPECT_EQ(lists_.reference_counts.size(), 2u);
  EXPECT_EQ(log_.text, utf8(kv::replace_all(shared, u"common", u"COMMON")) + " is up to date.\r\n");
  EXPECT_EQ(cleaned, std::set<std::u16string>{engine::path_set_key(shared)});
  const std::vector<std::string> tail(RecordedProgress::events.end() - 5, RecordedProgress::events.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"91%", "91%", "Installing files", "92%", "93%"}));
  EXPECT_EQ(engine::run.log.error_report, "");
  engine::run.hooks = {};
}

TEST_F(FileInstallTest, FontIsRegisteredUnderItsTitle) {
  const std::u16string title = u"Tess Test Font " + kv::to_u16(GetCurrentProcessId()) + u" (TrueType)";
  const std::string data = "not really a font";
  setup::FileEntry entry = file_entry(engine::file_kind::kFont, "tesstest.ttf", u"fonts\\", data);
  entry.label = kv::utf16_to_utf8(title);
  engine::FileInstaller installer(lists_, shortcuts_);
  installer.install(entry);

  kv::UniqueRegKey key =
      kv::reg_open(HKEY_LOCAL_MACHINE, engine::kFontsKeyNt, KEY_READ | KEY_WRITE, kv::RegView::native32);
  ASSERT_TRUE(key);
  EXPECT_EQ(kv::reg_read_string(key.get(), title), u"tesstest.ttf");
  kv::reg_delete_value(key.get(), title);
  RemoveFontResourceW(L"tesstest.ttf");

  EXPECT_EQ(read_file(in_folder(u"fonts\\tesstest.ttf")), data);
  ASSERT_EQ(lists_.fonts.size(), 1u);
  EXPECT_EQ(lists_.fonts[0].title, title);
  EXPECT_TRUE(lists_.fonts_changed);
  EXPECT_EQ(RecordedProgress::events.back(), "Registering tesstest.ttf");
  // Fonts stay when the product goes; their folder is the author's.
  EXPECT_EQ(uninstall::uninstall_data.removal_list, "");
}

}  // namespace
