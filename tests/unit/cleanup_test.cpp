// The clean-up routines of both runs: conditional deletion with its date
// and size conditions, the pending restart operations, and the batch that
// removes the uninstaller.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "conditional_deletion.h"
#include "pending_cleanup.h"
#include "self_removal.h"
#include "text.h"

namespace {

using namespace uninstall;

std::string narrow(std::u16string_view text) { return kv::utf16_to_utf8(text); }

TEST(ConditionalDeletion, DateOperands) {
  const struct {
    const char* operand;
    bool valid;
    bool has_time;
  } cases[] = {
      {"2024/02/29", true, false},  {"2023/02/29", false, false},     {" 2024-12-31 23:59:59 ", true, true},
      {"2024.01.02T08:30", true, true}, {"2024/01/02 24:00", true, false}, {"2024/01/02 12:60", true, false},
      {"2024/13/01", false, false}, {"2024/04/31", false, false},     {"2024/01/015", false, false},
      {"", false, false},           {"yesterday", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.operand);
    auto date = parse_date_operand(c.operand);
    ASSERT_EQ(date.has_value(), c.valid);
    if (date) EXPECT_EQ(date->has_time, c.has_time);
  }
  auto date = parse_date_operand("2024.01.02T08:30");
  ASSERT_TRUE(date);
  EXPECT_EQ((std::vector<int>{date->year, date->month, date->day, date->hour, date->minute, date->second}),
            (std::vector<int>{2024, 1, 2, 8, 30, 0}));
}

TEST(ConditionalDeletion, DateAndSizeConditions) {
  const FileStamp file{2024, 5, 6, 10, 0, 0};
  const struct {
    int comparison;
    const char* operand;
    bool holds;
  } dates[] = {
      {1, "2024/05/06", true},           // the dates alone
      {1, "2024/05/06 10:00:01", false}, // date and time
      {2, "2024/05/06 10:00:01", false}, {3, "2024/05/06 10:00:01", true},
      {2, "2024/05/07", false},          {3, "2024/05/07", true},
      {2, "2024/05/06 25:00", true},     // an invalid time compares the dates
      {3, "2024/05/05 23:00", false},    {9, "2000/01/01", true},  // no condition
  };
  for (const auto& d : dates) {
    SCOPED_TRACE(std::to_string(d.comparison) + " " + d.operand);
    EXPECT_EQ(date_condition_holds(d.comparison, file, *parse_date_operand(d.operand)), d.holds);
  }

  EXPECT_EQ(size_operand("3000000000"), 2147483647);  // signed 32 bits, saturated
  EXPECT_EQ(size_operand("-99999999999"), -2147483647 - 1);
  EXPECT_EQ(size_operand(" 12abc"), 12);
  const std::uint64_t over_4g = 0x10000000AULL;  // 10 in its low 32 bits
  const struct {
    int comparison;
    std::uint64_t size;
    std::int32_t operand;
    bool holds;
  } sizes[] = {
      {4, 7, 7, true},         {4, over_4g, 10, false},  {6, over_4g, 100, false},
      {5, over_4g, 2147483647, true}, {5, 0, -1, true},  {6, 0, -1, false},
      {4, 0, -1, false},       {0, 5, 1, true},
  };
  for (const auto& s : sizes) {
    SCOPED_TRACE(std::to_string(s.comparison) + " " + std::to_string(s.size) + " " + std::to_string(s.operand));
    EXPECT_EQ(size_condition_holds(s.comparison, s.size, s.operand), s.holds);
  }
}

// Files of a fake run: locked files cannot be deleted now, and the restart
// registration can be made to fail.
class FakeFiles final : public ConditionalFiles {
 public:
  std::map<std::u16string, FileFacts> files;
  std::set<std::u16string> locked;
  bool reboot_fails = false;
  std::vector<std::string> actions;

  std::u16string expand_pattern(const std::string& pattern) override {
    return u"C:\\App\\" + kv::from_marked(pattern);
  }
  // "*" matches any tail of the name.
  std::vector<std::u16string> matching_files(const std::u16string& pattern) override {
    std::vector<std::u16string> out;
    std::size_t star = pattern.find(u'*');
    for (const auto& [path, facts] : files)
      if (star == std::u16string::npos ? path == pattern
                                       : path.starts_with(pattern.substr(0, star)) &&
                                             path.ends_with(pattern.substr(star + 1)))
        out.push_back(path);
    return out;
  }
  std::optional<FileFacts> facts(const std::u16string& path) override { return files.at(path); }
  void clear_attributes(const std::u16string& path) override { actions.push_back("attributes " + narrow(path)); }
  std::uint32_t delete_now(const std::u16string& path) override {
    if (locked.contains(path)) return 32;
    actions.push_back("delete " + narrow(path));
    files.erase(path);
    return 0;
  }
  std::uint32_t delete_at_reboot(const std::u16string& path) override {
    if (reboot_fails) return 5;
    actions.push_back("at reboot " + narrow(path));
    return 0;
  }
  std::u16string error_text(std::uint32_t code) override { return u"error " + kv::to_u16(code); }
};

class ConditionalRun : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char16_t* name : {u"C:\\App\\a.old", u"C:\\App\\b.old", u"C:\\App\\lock.dll", u"C:\\App\\later.dll",
                                 u"C:\\App\\gone.dll"})
      files_.files[name] = FileFacts{100, {2020, 1, 1, 0, 0, 0}};
    files_.locked = {u"C:\\App\\lock.dll", u"C:\\App\\gone.dll"};
    entries_ = {
        {"*.old", 0, "", ConditionalDeletion::kDuringUninstallation},
        {"lock.dll", 5, "100", ConditionalDeletion::kDuringInstallation | ConditionalDeletion::kRestartWhenLocked},
        {"later.dll", 6, "99", ConditionalDeletion::kDuringInstallation | ConditionalDeletion::kOnlyAtRestart},  // larger than 99: skipped
        {"later.dll", 0, "", ConditionalDeletion::kDuringInstallation | ConditionalDeletion::kOnlyAtRestart | ConditionalDeletion::kRestartWhenLocked},
        {"gone.dll", 0, "", ConditionalDeletion::kDuringInstallation},
        {"none*.x", 0, "", ConditionalDeletion::kDuringInstallation | ConditionalDeletion::kDuringUninstallation},
    };
  }
  FakeFiles files_;
  std::vector<ConditionalDeletion> entries_;
};

TEST_F(ConditionalRun, InstallationAppliesItsEntriesAndLogsThem) {
  ConditionalOutcome outcome = apply_conditional_deletions(entries_, CleanupPhase::installation, files_);
  EXPECT_FALSE(outcome.corrupt);
  EXPECT_TRUE(outcome.reboot_registered);
  EXPECT_EQ(narrow(outcome.log),
            "File \"C:\\App\\lock.dll\" will be deleted after rebooting: error 32\r\n"
            "File \"C:\\App\\later.dll\" will be deleted after rebooting.\r\n"
            "Failed to delete file \"C:\\App\\gone.dll\": error 32\r\n"
            "\r\n");
  EXPECT_TRUE(outcome.error_report.empty());
  // Flag 1 never deletes at once; entries of the uninstallation are left.
  EXPECT_EQ(files_.actions, (std::vector<std::string>{"attributes C:\\App\\lock.dll", "at reboot C:\\App\\lock.dll",
                                                      "attributes C:\\App\\later.dll", "at reboot C:\\App\\later.dll",
                                                      "attributes C:\\App\\gone.dll"}));
  EXPECT_EQ(entries_.size(), 6u);
}

TEST_F(ConditionalRun, UninstallationDropsHandledEntriesAndReportsNothing) {
  files_.reboot_fails = true;
  entries_.push_back({"lock.dll", 0, "", ConditionalDeletion::kDuringUninstallation | ConditionalDeletion::kRestartWhenLocked});
  ConditionalOutcome outcome = apply_conditional_deletions(entries_, CleanupPhase::uninstallation, files_);
  EXPECT_FALSE(outcome.reboot_registered);
  EXPECT_TRUE(outcome.log.empty());
  EXPECT_TRUE(outcome.error_report.empty());
  EXPECT_FALSE(files_.files.contains(u"C:\\App\\a.old"));
  EXPECT_FALSE(files_.files.contains(u"C:\\App\\b.old"));
  // Handled: "*.old". Still pending: the installation's, the pattern that
  // matched nothing and the locked file whose registration failed.
  ASSERT_EQ(entries_.size(), 6u);
  EXPECT_EQ(entries_[0].pattern, "lock.dll");
  EXPECT_EQ(entries_[4].pattern, "none*.x");
  EXPECT_EQ(entries_[5].pattern, "lock.dll");

  // During the installation the failed registration is reported.
  std::vector<ConditionalDeletion> installing = {{"lock.dll", 0, "", ConditionalDeletion::kDuringInstallation | ConditionalDeletion::kOnlyAtRestart}};
  outcome = apply_conditional_deletions(installing, CleanupPhase::installation, files_);
  EXPECT_EQ(narrow(outcome.error_report), "Failed to register \"C:\\App\\lock.dll\" for deletion: error 5\r\n");
  EXPECT_TRUE(outcome.log.empty());
}

TEST_F(ConditionalRun, ImpossibleDateIsACorruptInstallationOnlyWhenAFileMatches) {
  std::vector<ConditionalDeletion> entries = {{"none*.x", 1, "2023/02/30", ConditionalDeletion::kDuringUninstallation},
                                              {"*.old", 2, "2023/02/30", ConditionalDeletion::kDuringUninstallation},
                                              {"gone.dll", 0, "", ConditionalDeletion::kDuringUninstallation}};
  ConditionalOutcome outcome = apply_conditional_deletions(entries, CleanupPhase::uninstallation, files_);
  EXPECT_TRUE(outcome.corrupt);
  EXPECT_EQ(kInvalidOperandDate, 65);
  EXPECT_TRUE(files_.actions.empty());  // the run stops there
}

TEST(PendingCleanup, ThreeEntriesAreTwoPairsAndAMoveOntoADeletedFileGoes) {
  const std::vector<std::u16string> list = {u"\\??\\C:\\App\\KVT1.tmp", u"!\\??\\C:\\App\\A.dll",
                                            u"\\??\\C:\\App\\b.dll"};
  PendingCleanup cleanup = clean_pending_list(list, {u"c:\\app\\a.dll"}, CleanupPhase::installation);
  EXPECT_TRUE(cleanup.changed);
  EXPECT_EQ(cleanup.kept, (std::vector<engine::PendingRename>{{u"\\??\\C:\\App\\b.dll", u""}}));
  EXPECT_EQ(cleanup.sources_to_delete, (std::vector<std::u16string>{u"C:\\App\\KVT1.tmp"}));
  EXPECT_EQ(narrow(cleanup.log), "\r\nFile \"C:\\App\\A.dll\" was removed from the list of pending moves.\r\n");

  // The odd third entry is a deletion of b.dll.
  cleanup = clean_pending_list(list, {u"c:\\app\\b.dll"}, CleanupPhase::installation);
  EXPECT_EQ(cleanup.kept, (std::vector<engine::PendingRename>{{list[0], list[1]}}));
  EXPECT_TRUE(cleanup.sources_to_delete.empty());
  EXPECT_EQ(narrow(cleanup.log), "\r\nFile \"C:\\App\\b.dll\" was removed from the list of pending deletions.\r\n");
}

TEST(PendingCleanup, EmptySourcesGoAndTheUninstallationLogsNothing) {
  const std::vector<std::u16string> list = {u"", u"", u"\\??\\C:\\x.dll", u"", u"\\??\\C:\\y.tmp", u"\\??\\C:\\z.dll"};
  PendingCleanup cleanup = clean_pending_list(list, {u"c:\\x.dll"}, CleanupPhase::uninstallation);
  EXPECT_TRUE(cleanup.changed);
  EXPECT_EQ(cleanup.kept, (std::vector<engine::PendingRename>{{list[4], list[5]}}));
  EXPECT_TRUE(cleanup.log.empty());

  cleanup = clean_pending_list({list[4], list[5]}, {u"c:\\other.dll"}, CleanupPhase::installation);
  EXPECT_FALSE(cleanup.changed);
  EXPECT_EQ(cleanup.kept.size(), 1u);
  EXPECT_EQ(narrow(cleanup.log), "\r\n");
  EXPECT_TRUE(clean_pending_list({}, {}, CleanupPhase::installation).log.empty());
}

TEST(SelfRemoval, BatchRemovesTheSubfoldersDeepestFirstThenTheInstallationFolder) {
  EXPECT_EQ(narrow(self_removal_batch_text(u"C:\\App\\Un\\Inst\\setup.exe", u"C:\\App\\", u"\\Un\\Inst\\",
                                           u"C:\\Temp\\delunins.bat")),
            ":Repeat\r\n"
            "del \"C:\\App\\Un\\Inst\\setup.exe\"\r\n"
            "if exist \"C:\\App\\Un\\Inst\\setup.exe\" goto Repeat\r\n"
            "CHOICE /T 3 /D Y\r\n"
            "rd \"C:\\App\\Un\\Inst\"\r\n"
            "rd \"C:\\App\\Un\"\r\n"
            "rd \"C:\\App\"\r\n"
            "del \"C:\\Temp\\delunins.bat\"\r\n");
  EXPECT_EQ(narrow(self_removal_batch_text(u"C:\\App\\setup.exe", u"C:\\App", u"", u"C:\\T\\delunins.bat")),
            ":Repeat\r\ndel \"C:\\App\\setup.exe\"\r\nif exist \"C:\\App\\setup.exe\" goto Repeat\r\n"
            "CHOICE /T 3 /D Y\r\nrd \"C:\\App\"\r\ndel \"C:\\T\\delunins.bat\"\r\n");

  // At most 50 folder lines for a deep subfolder.
  std::u16string deep;
  for (int i = 0; i < 60; ++i) deep += u"d\\";
  std::u16string text = self_removal_batch_text(u"x", u"C:\\App", deep, u"b");
  std::size_t rd_lines = 0;
  for (std::size_t at = text.find(u"rd \""); at != std::u16string::npos; at = text.find(u"rd \"", at + 1)) ++rd_lines;
  EXPECT_EQ(rd_lines, 51u);
}

TEST(SelfRemoval, TheLevelsTheInstallationMadeAboveItsFolderGoLast) {
  const std::vector<std::u16string> recorded = {u"C:\\Maker\\App", u"C:\\Maker\\App\\Un", u"c:\\maker\\",
                                                u"C:\\Maker",       u"C:\\Makers",        u"C:\\",
                                                u"D:\\Maker\\App"};
  const std::vector<std::u16string> parents = installation_parents(recorded, u"C:\\Maker\\App\\");
  // Only strict ancestors, once each whatever their letter case, never a root.
  ASSERT_EQ(parents, std::vector<std::u16string>{u"c:\\maker"});
  EXPECT_EQ(installation_parents({u"C:\\A", u"C:\\A\\B"}, u"C:\\A\\B\\C"),
            (std::vector<std::u16string>{u"C:\\A\\B", u"C:\\A"}));
  EXPECT_TRUE(installation_parents({u"C:\\A"}, u"").empty());

  EXPECT_EQ(narrow(self_removal_batch_text(u"C:\\A\\B\\C\\setup.exe", u"C:\\A\\B\\C", u"", u"T.bat",
                                           {u"C:\\A\\B", u"C:\\A"})),
            ":Repeat\r\ndel \"C:\\A\\B\\C\\setup.exe\"\r\nif exist \"C:\\A\\B\\C\\setup.exe\" goto Repeat\r\n"
            "CHOICE /T 3 /D Y\r\nrd \"C:\\A\\B\\C\"\r\nrd \"C:\\A\\B\"\r\nrd \"C:\\A\"\r\ndel \"T.bat\"\r\n");
}

TEST(SelfRemoval, EncodingFollowsTheTextAndTheSystem) {
  const kv::OsVersion vista{6, 0}, seven{6, 1}, ten{10, 0};
  kv::OsVersion me{4, 90};
  me.platform = kv::kPlatform9x;
  EXPECT_FALSE(batch_may_be_utf8(vista));
  EXPECT_TRUE(batch_may_be_utf8(seven));
  EXPECT_TRUE(batch_may_be_utf8(ten));
  EXPECT_FALSE(batch_may_be_utf8(me));

  const std::u16string ascii = u"rd \"C:\\App\"\r\n";
  const std::u16string cyrillic = u"rd \"C:\\\u041f\u0440\u043e\u0433\"\r\n";
  const std::u16string accented = u"rd \"C:\\Caf\u00e9\"\r\n";
  EXPECT_EQ(encode_self_removal_batch(ascii, true), "@chcp 1252 >nul\r\nrd \"C:\\App\"\r\n");
  EXPECT_EQ(encode_self_removal_batch(cyrillic, true),
            "@chcp 65001 >nul\r\nrd \"C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\"\r\n");
  EXPECT_EQ(encode_self_removal_batch(accented, true), "@chcp 65001 >nul\r\nrd \"C:\\Caf\xC3\xA9\"\r\n");
  EXPECT_EQ(encode_self_removal_batch(accented, false), "@chcp 1252 >nul\r\nrd \"C:\\Caf\xE9\"\r\n");
  EXPECT_EQ(encode_self_removal_batch(cyrillic, false), "@chcp 1252 >nul\r\nrd \"C:\\????\"\r\n");
}

}  // namespace
