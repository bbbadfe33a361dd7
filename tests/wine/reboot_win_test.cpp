// Restart operations and Uninstall.DAT on a real system: the pending-rename
// list in the registry, temporary files beside locked files, and the file of
// the uninstall data.
#include <windows.h>

#include <aclapi.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_run.h"
#include "kv_core.h"
#include "pending_renames.h"
#include "reboot_operations.h"
#include "uninstall_data_file.h"
#include "win_handles.h"
#include "test_files_win.h"

namespace {

using engine::PendingRename;

std::u16string key(const std::u16string& path) { return engine::pending_path_key(path); }

std::u16string write_file(const std::u16string& path, const std::string& content) {
  kv::UniqueFile file(
      CreateFileW(kv::as_wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file) WriteFile(file.get(), content.data(), DWORD(content.size()), &written, nullptr);
  return path;
}

bool everyone_has_full_access(const std::u16string& path) {
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
    if (!GetAce(acl, i, reinterpret_cast<void**>(&ace)) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    // Wine maps generic all access to everything but the rights to change
    // owner and access list; Windows keeps them.
    constexpr DWORD kFullUse = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;
    found = EqualSid(&ace->SidStart, world) && ((ace->Mask & GENERIC_ALL) || (ace->Mask & kFullUse) == kFullUse);
  }
  LocalFree(descriptor);
  return found;
}

class RebootTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    folder_ = kv::from_wide(temp) + u"tess-reboot-" + kv::to_u16(GetCurrentProcessId()) + u"-" +
              kv::to_u16(++counter);
    ASSERT_TRUE(CreateDirectoryW(kv::as_wide(folder_), nullptr));
    ASSERT_TRUE(engine::read_pending_renames(before_));
    engine::run.reboot = {};
  }

  void TearDown() override {
    remove_our_pending_pairs();
    WIN32_FIND_DATAW found;
    kv::UniqueFind find(FindFirstFileW(kv::as_wide(in_folder(u"*")), &found));
    if (find) {
      do {
        SetFileAttributesW(kv::as_wide(in_folder(kv::from_wide(found.cFileName))), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(kv::as_wide(in_folder(kv::from_wide(found.cFileName))));
      } while (FindNextFileW(find.get(), &found));
    }
    find.reset();
    RemoveDirectoryW(kv::as_wide(folder_));
  }

  std::u16string in_folder(const std::u16string& name) const { return folder_ + u"\\" + name; }

  bool ours(const PendingRename& rename) const {
    std::u16string folder_key = key(folder_ + u"\\");
    return key(rename.source).starts_with(folder_key) || key(rename.target).starts_with(folder_key);
  }

  // The pending pairs that name this test's folder.
  std::vector<PendingRename> our_pending_pairs() const {
    std::vector<PendingRename> all, mine;
    EXPECT_TRUE(engine::read_pending_renames(all));
    for (const PendingRename& rename : all)
      if (ours(rename)) mine.push_back(rename);
    return mine;
  }

  void remove_our_pending_pairs() {
    std::vector<PendingRename> all, others;
    if (!engine::read_pending_renames(all)) return;
    for (const PendingRename& rename : all)
      if (!ours(rename)) others.push_back(rename);
    if (others.size() != all.size()) {
      EXPECT_EQ(engine::write_pending_renames(others), ERROR_SUCCESS);
    }
  }

  std::vector<std::u16string> temporary_files() const {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found;
    kv::UniqueFind find(FindFirstFileW(kv::as_wide(in_folder(u"KVT*")), &found));
    if (find) {
      do names.push_back(in_folder(kv::from_wide(found.cFileName)));
      while (FindNextFileW(find.get(), &found));
    }
    return names;
  }

  std::u16string folder_;
  std::vector<PendingRename> before_;
};

TEST_F(RebootTest, MoveAndDeleteAtRebootWriteThePendingList) {
  std::u16string source = write_file(in_folder(u"KVT1.tmp"), "new");
  std::u16string target = in_folder(u"app.dll");
  std::u16string doomed = write_file(in_folder(u"old.dll"), "old");
  SetFileAttributesW(kv::as_wide(doomed), FILE_ATTRIBUTE_READONLY);

  ASSERT_TRUE(engine::move_at_reboot(source, target));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_BUSY));
  ASSERT_TRUE(engine::delete_at_reboot(doomed));
  EXPECT_EQ(GetFileAttributesW(kv::as_wide(doomed)) & FILE_ATTRIBUTE_READONLY, 0u);

  // Refused or needless requests add nothing.
  EXPECT_FALSE(engine::move_at_reboot(in_folder(u"missing.dll"), target));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(engine::move_at_reboot(source, source));

  std::vector<PendingRename> pairs = our_pending_pairs();
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(key(pairs[0].source), key(source));
  EXPECT_EQ(key(pairs[0].target), key(target));
  EXPECT_FALSE(pairs[0].is_deletion());
  EXPECT_EQ(key(pairs[1].source), key(doomed));
  EXPECT_TRUE(pairs[1].is_deletion());

  // Writing the list back without our pairs restores it as it was.
  remove_our_pending_pairs();
  std::vector<PendingRename> after;
  ASSERT_TRUE(engine::read_pending_renames(after));
  EXPECT_EQ(after, before_);
}

TEST_F(RebootTest, LockedFileGetsATemporaryCopyAndAPendingMove) {
  std::u16string destination = write_file(in_folder(u"locked.dll"), "old");
  kv::UniqueFile lock(CreateFileW(kv::as_wide(destination), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock);
  kv::UniqueFile blocked(CreateFileW(kv::as_wide(destination), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_FALSE(blocked);
  DWORD write_error = GetLastError();
  ASSERT_EQ(write_error, DWORD(ERROR_SHARING_VIOLATION));

  const std::string data = "the new version";
  engine::ReplaceRequest request;
  request.destination = destination;
  request.data = {reinterpret_cast<const std::uint8_t*>(data.data()), data.size()};
  request.entry_time = {2021, 3, 4, 5, 6, 7};
  request.existed = true;
  request.write_error = write_error;
  request.message = u"\r\nCould not write " + destination + u"\r\nThe file is in use.\r\n";
  engine::ReplaceResult result = engine::replace_at_reboot(request);

  ASSERT_TRUE(result.registered) << kv::utf16_to_utf8(result.message);
  EXPECT_EQ(result.sink, engine::MessageSink::log);
  EXPECT_TRUE(engine::run.reboot.reboot_required);
  std::vector<std::u16string> temporaries = temporary_files();
  ASSERT_EQ(temporaries.size(), 1u);
  const std::u16string& temporary = temporaries[0];
  EXPECT_EQ(result.message, request.message + engine::replacement_registered_text(destination, temporary));
  EXPECT_EQ(read_file(temporary), data);
  lock.reset();
  EXPECT_EQ(read_file(destination), "old");

  SYSTEMTIME entry{2021, 3, 0, 4, 5, 6, 7, 0};
  FILETIME expected, created, written;
  SystemTimeToFileTime(&entry, &expected);
  kv::UniqueFile copy(CreateFileW(kv::as_wide(temporary), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
  ASSERT_TRUE(GetFileTime(copy.get(), &created, nullptr, &written));
  EXPECT_EQ(CompareFileTime(&written, &expected), 0);
  EXPECT_EQ(CompareFileTime(&created, &expected), 0);
  EXPECT_TRUE(everyone_has_full_access(temporary));

  std::vector<PendingRename> pairs = our_pending_pairs();
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(key(pairs[0].source), key(temporary));
  EXPECT_EQ(key(pairs[0].target), key(destination));
}

TEST_F(RebootTest, UnreplaceableFilesEndInTheErrorReport) {
  char16_t missing_drive = 0;
  DWORD drives = GetLogicalDrives();
  for (char16_t letter = u'Z'; letter >= u'D' && !missing_drive; --letter)
    if (!((drives >> (letter - u'A')) & 1)) missing_drive = letter;
  ASSERT_NE(missing_drive, 0);

  struct Case {
    const char* name;
    std::u16string destination;
    bool existed;
    std::uint32_t write_error;
    std::u16string appended;
  };
  const Case cases[] = {
      {"a new file while scheduling new files is off", in_folder(u"new.dll"), false, ERROR_SHARING_VIOLATION, u""},
      {"a name the system rejects", in_folder(u"bad.dll"), true, ERROR_INVALID_NAME, u""},
      {"a drive that is not there", std::u16string(1, missing_drive) + u":\\App\\x.dll", true, ERROR_PATH_NOT_FOUND,
       u"Drive " + std::u16string(1, missing_drive) + u": is not present.\r\n"},
  };
  const std::string data = "data";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    engine::ReplaceRequest request;
    request.destination = c.destination;
    request.data = {reinterpret_cast<const std::uint8_t*>(data.data()), data.size()};
    request.existed = c.existed;
    request.schedule_new_files = false;
    request.write_error = c.write_error;
    request.message = u"\r\nCould not write " + c.destination + u"\r\n";
    engine::ReplaceResult result = engine::replace_at_reboot(request);
    EXPECT_FALSE(result.registered);
    EXPECT_EQ(result.sink, engine::MessageSink::error_report);
    EXPECT_EQ(result.message, request.message + c.appended);
  }
  EXPECT_TRUE(temporary_files().empty());
  EXPECT_TRUE(our_pending_pairs().empty());
  EXPECT_FALSE(engine::run.reboot.reboot_required);
}

TEST_F(RebootTest, UninstallDataFileRoundTrip) {
  uninstall::UninstallData data;
  uninstall::add_to_removal_list_w(data, in_folder(u"app.exe"), uninstall::RemovalKind::file);
  data.texts[53] = u"Remove \u00e9?";
  data.close_rules.push_back({"AppClass", "", "App", 2, 1});
  std::u16string path = uninstall::uninstall_data_path(folder_, u"");
  ASSERT_TRUE(uninstall::write_uninstall_data(data, path));

  uninstall::UninstallData read;
  ASSERT_EQ(uninstall::read_uninstall_data(path, read), 0u);
  EXPECT_EQ(read.removal_lines.front(), kv::to_marked(in_folder(u"app.exe")));
  EXPECT_EQ(uninstall::uninstall_text(read, 53), data.texts[53]);
  ASSERT_EQ(read.close_rules.size(), 1u);
  EXPECT_EQ(read.close_rules[0].phase_flags, setup::CloseRule::kAfterUninstallQuestion);

  // A missing file reports the system's code and leaves the data alone.
  EXPECT_EQ(uninstall::read_uninstall_data(in_folder(u"none\\Uninstall.DAT"), read), DWORD(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(read.close_rules.size(), 1u);
}

}  // namespace
