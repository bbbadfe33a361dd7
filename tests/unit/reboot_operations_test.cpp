// Restart operations: the wininit.ini edit, the pending-rename pairs and the
// decision to replace a file at the next restart.
#include <gtest/gtest.h>

#include "pending_renames.h"
#include "reboot_operations.h"
#include "wininit_ini.h"

namespace {

TEST(WininitIni, AddsRenameLines) {
  struct Case {
    const char* name;
    const char* before;
    const char* target;
    const char* after;
  };
  const Case cases[] = {
      {"missing file", "", "C:\\A.DLL", "[rename]\r\nC:\\A.DLL=C:\\KVT1.TMP"},
      {"no section, final line end", "[boot]\r\nx=1\r\n", "C:\\A.DLL",
       "[boot]\r\nx=1\r\n[rename]\r\nC:\\A.DLL=C:\\KVT1.TMP"},
      {"no section, no final line end", "[boot]\r\nx=1", "C:\\A.DLL",
       "[boot]\r\nx=1\r\n[rename]\r\nC:\\A.DLL=C:\\KVT1.TMP"},
      {"section in another case", "[boot]\r\n[Rename]\r\nC:\\B.DLL=C:\\KVT2.TMP\r\n", "C:\\A.DLL",
       "[boot]\r\n[Rename]\r\nC:\\A.DLL=C:\\KVT1.TMP\r\nC:\\B.DLL=C:\\KVT2.TMP\r\n"},
      {"section as the last line without line end", "[boot]\nx=1\n[RENAME]", "C:\\A.DLL",
       "[boot]\nx=1\n[RENAME]\r\nC:\\A.DLL=C:\\KVT1.TMP"},
      {"a longer section name is another section", "[renamed]\r\n", "C:\\A.DLL",
       "[renamed]\r\n[rename]\r\nC:\\A.DLL=C:\\KVT1.TMP"},
      {"deletion", "[rename]\r\n", "NUL", "[rename]\r\nNUL=C:\\KVT1.TMP\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(engine::add_wininit_rename(c.before, c.target, "C:\\KVT1.TMP"), c.after);
  }
  // A second line goes in front of the first, behind the section line.
  std::string twice = engine::add_wininit_rename(engine::add_wininit_rename("", "T1", "S1"), "NUL", "S2");
  EXPECT_EQ(twice, "[rename]\r\nNUL=S2\r\nT1=S1");
}

TEST(PendingRenames, PairsRoundTrip) {
  const std::vector<std::u16string> strings = {
      u"\\??\\C:\\App\\KVT1.tmp", u"!\\??\\C:\\App\\a.dll",  // a replacing move
      u"\\??\\C:\\App\\old.dll", u"",                        // a deletion
      u"\\??\\C:\\App\\b.dll", u"\\??\\C:\\App\\c.dll",
      u"\\??\\C:\\App\\odd.dll"};  // an odd last entry deletes
  auto renames = engine::pending_renames_from_strings(strings);
  ASSERT_EQ(renames.size(), 4u);
  EXPECT_EQ(renames[0].target, u"!\\??\\C:\\App\\a.dll");
  EXPECT_TRUE(renames[1].is_deletion());
  EXPECT_FALSE(renames[2].is_deletion());
  EXPECT_EQ(renames[3], (engine::PendingRename{u"\\??\\C:\\App\\odd.dll", u""}));

  auto written = engine::pending_renames_to_strings(renames);
  ASSERT_EQ(written.size(), 8u);
  EXPECT_EQ(written.back(), u"");
  EXPECT_EQ(engine::pending_renames_from_strings(written), renames);
  EXPECT_TRUE(engine::pending_renames_from_strings({}).empty());

  EXPECT_EQ(engine::pending_path_key(u"!\\??\\C:\\App\\A.DLL"), u"c:\\app\\a.dll");
  EXPECT_EQ(engine::pending_path_key(u"C:\\x?\\Y"), u"c:\\x?\\y");
  EXPECT_EQ(engine::pending_path_key(u"\\??\\"), u"");
}

TEST(ReplaceAtReboot, WhoseFilesAreReplaced) {
  using engine::ReplaceDecision;
  struct Case {
    bool existed, schedule_new_files;
    std::uint32_t error;
    bool drive_present;
    ReplaceDecision decision;
  };
  const Case cases[] = {
      {true, false, 32, true, ReplaceDecision::attempt},
      {false, true, 5, true, ReplaceDecision::attempt},
      {false, false, 32, true, ReplaceDecision::not_eligible},
      {true, true, 123, true, ReplaceDecision::not_eligible},  // a name the system rejects
      {true, true, 3, false, ReplaceDecision::drive_missing},
  };
  for (const Case& c : cases)
    EXPECT_EQ(engine::decide_replacement(c.existed, c.schedule_new_files, c.error, c.drive_present), c.decision)
        << c.existed << c.schedule_new_files << " error " << c.error;
}

}  // namespace
