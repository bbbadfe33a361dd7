// File installation's decisions: version comparison, the overwrite rules
// with their log texts, destinations and the uninstall key's list values.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "file_destination.h"
#include "file_install_lists.h"
#include "overwrite_decision.h"
#include "text.h"
#include "version_compare.h"

namespace {

using setup::DateTimeRecord;

std::string utf8(const std::u16string& text) { return kv::utf16_to_utf8(text); }

TEST(VersionCompare, NumbersThenLengthThenLetterSuffix) {
  struct Case {
    const char16_t* entry;
    const char16_t* existing;
    int expected;
  };
  const Case cases[] = {
      {u"1.2.0", u"1.2", 1},  // a longer equal start is newer
      {u"1.2", u"1.2.0", -1},
      {u"1.2", u"1.2", 0},
      {u"1.10", u"1.9", 1},  // numbers, not text
      {u"1.02", u"1.2", 0},
      {u"2.0", u"10.0", -1},
      {u"1.2b", u"1.2a", 1},  // the suffix decides only equal sequences
      {u"1.2", u"1.2a", -1},
      {u"1.3", u"1.2z", 1},
      {u"1a.2", u"1.2", 1},  // a letter anywhere is the suffix
      {u".5", u"0.5", 0},    // a leading full stop is a leading 0
      {u".5", u"5", -1},
      {u"1..2", u"1.2", 0},
      {u"3 - 7", u"3.7", 0},                                      // any other character separates
      {u"1.99999999999999999999", u"1.99999999999999999998", 1},  // no overflow
      {u"beta", u"1.0", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(utf8(c.entry) + " vs " + utf8(c.existing));
    EXPECT_EQ(engine::compare_versions(c.entry, c.existing), c.expected);
    EXPECT_EQ(engine::compare_versions(c.existing, c.entry), -c.expected);
  }
}

TEST(VersionCompare, FileVersionTextIsCleaned) {
  EXPECT_EQ(engine::clean_file_version(u" \t1, 2, 3, 4 \r\n"), u"1. 2. 3. 4");
  EXPECT_EQ(engine::clean_file_version(u"6.1.7601.17514 (win7sp1_rtm.101119-1850)"),
            u"6.1.7601.17514 (win7sp1_rtm.101119-1850)");
  EXPECT_EQ(engine::clean_file_version(u" \t\r\n"), std::nullopt);
}

constexpr char16_t kDest[] = u"C:\\App\\a.dll";
const DateTimeRecord kOld{2020, 1, 2, 3, 4, 5};
const DateTimeRecord kNew{2021, 6, 7, 8, 9, 10};
const DateTimeRecord kNoTime{2021, 0, 7, 8, 9, 10};
constexpr std::uint32_t kNever = engine::entry_flags::kNeverUninstall;
std::uint32_t mode(std::uint32_t m) { return m << engine::entry_flags::kModeShift; }

TEST(OverwriteDecision, ModesVersionsAndDates) {
  using engine::file_kind::kComServer, engine::file_kind::kFont, engine::file_kind::kPlain, engine::file_kind::kShared,
      engine::file_kind::kSystem, engine::file_kind::kVersioned;
  using V = std::optional<std::u16string>;
  using T = std::optional<DateTimeRecord>;
  struct Case {
    const char* name;
    std::uint32_t kind, flags;
    bool portable, exists;
    T existing_time;
    V existing_version;
    const char16_t* entry_version;
    DateTimeRecord entry_time;
    bool install, record;
    std::u16string log;  // after the destination
  };
  const std::u16string not_installed = u" was not installed because ";
  const std::u16string replacing = u" needs replacement because ";
  const std::u16string old_date = u"2020/01/02 03:04:05", new_date = u"2021/06/07 08:09:10";
  const Case cases[] = {
      {"mode 1 is silent", kPlain, mode(1), false, true, kOld, {}, u"", kNew, false, false, u""},
      {"mode 5 is silent", kVersioned, mode(5), false, false, {}, {}, u"", kNew, false, false, u""},
      {"mode 2, missing",
       kPlain,
       mode(2),
       false,
       false,
       {},
       {},
       u"",
       kNew,
       false,
       false,
       not_installed + u"it does not already exist.\r\n"},
      {"mode 2, existing", kPlain, mode(2), false, true, kNew, {}, u"", kOld, true, false, u""},
      {"mode 3, existing is recorded",
       kPlain,
       mode(3),
       false,
       true,
       kOld,
       {},
       u"",
       kNew,
       false,
       true,
       not_installed + u"it already exists.\r\n"},
      {"mode 3, never uninstall",
       kPlain,
       mode(3) | kNever,
       false,
       true,
       kOld,
       {},
       u"",
       kNew,
       false,
       false,
       not_installed + u"it already exists.\r\n"},
      {"mode 3, system file is not recorded",
       kSystem,
       mode(3),
       false,
       true,
       kOld,
       {},
       u"",
       kNew,
       false,
       false,
       not_installed + u"it already exists.\r\n"},
      {"mode 3, missing", kPlain, mode(3), false, false, {}, {}, u"", kNew, true, false, u""},
      {"mode 4, newer existing",
       kPlain,
       mode(4),
       false,
       true,
       kNew,
       {},
       u"",
       kOld,
       false,
       true,
       not_installed + u"the existing file is newer.\r\n"},
      {"mode 4, older existing", kPlain, mode(4), false, true, kOld, {}, u"", kNew, true, false, u""},
      {"mode 4, unreadable time", kPlain, mode(4), false, true, {}, {}, u"", kOld, true, false, u""},
      {"mode 4, entry without time", kPlain, mode(4), false, true, kNew, {}, u"", kNoTime, true, false, u""},
      {"same version and time", kSystem, 0, false, true, kOld, u"1.2", u"1.2", kOld, false, false,
       not_installed + u"its version (1.2) is not newer than 1.2\r\n"},
      {"mode 7 checks as mode 0", kSystem, mode(7), false, true, kOld, u"1.2", u"1.2", kOld, false, false,
       not_installed + u"its version (1.2) is not newer than 1.2\r\n"},
      {"older kind 9 is still recorded", kVersioned, 0, false, true, kOld, u"2.0", u"1.9", kNew, false, true,
       not_installed + u"its version (1.9) is not newer than 2.0\r\n"},
      {"older kind 9, never uninstall", kVersioned, kNever, false, true, kOld, u"2.0", u"1.9", kNew, false, false,
       not_installed + u"its version (1.9) is not newer than 2.0\r\n"},
      {"newer version and date", kSystem, 0, false, true, kOld, u"1.2", u"1.2.0", kNew, true, false,
       replacing + u"its version (1.2.0) is newer than 1.2 and its date (" + new_date + u") is newer than " + old_date +
           u"\r\n"},
      {"newer version, same date", kComServer, 0, false, true, kOld, u"1.2", u"1.3", kOld, false, false,
       not_installed + u"its date (" + old_date + u") is not newer than " + old_date + u".\r\n"},
      {"existing without version: date only",
       kSystem,
       0,
       false,
       true,
       kNew,
       {},
       u"1.3",
       kOld,
       false,
       false,
       not_installed + u"its date (" + old_date + u") is not newer than " + new_date + u".\r\n"},
      {"entry without version: date only", kVersioned, 0, false, true, kOld, u"9.9", u"", kNew, true, false,
       replacing + u"its date (" + new_date + u") is newer than " + old_date + u"\r\n"},
      {"unreadable time: version only",
       kSystem,
       0,
       false,
       true,
       {},
       u"1.2",
       u"1.3",
       kOld,
       true,
       false,
       replacing + u"its version (1.3) is newer than 1.2\r\n"},
      {"entry without time: version only", kSystem, 0, false, true, kNew, u"1.2", u"1.3", kNoTime, true, false,
       replacing + u"its version (1.3) is newer than 1.2\r\n"},
      {"nothing to compare",
       kSystem,
       0,
       false,
       true,
       {},
       {},
       u"1.3",
       kNew,
       true,
       false,
       u" is out of date and will be replaced.\r\n"},
      {"missing system file", kSystem, 0, false, false, {}, {}, u"1.3", kNew, true, false, u""},
      {"shared file up to date", kShared, 0, false, true, kNew, {}, u"", kNew, false, false, u" is up to date.\r\n"},
      {"portable shared file up to date is recorded",
       kShared,
       0,
       true,
       true,
       kNew,
       {},
       u"",
       kNew,
       false,
       true,
       u" is up to date.\r\n"},
      {"font out of date",
       kFont,
       0,
       false,
       true,
       kOld,
       {},
       u"",
       kNew,
       true,
       false,
       u" is out of date and will be replaced.\r\n"},
      {"shared file, entry without time",
       kShared,
       0,
       false,
       true,
       kOld,
       {},
       u"",
       kNoTime,
       true,
       false,
       u" is out of date and will be replaced.\r\n"},
      {"shared file, unreadable time",
       kShared,
       0,
       false,
       true,
       {},
       {},
       u"",
       kNew,
       true,
       false,
       u" is out of date and will be replaced.\r\n"},
      {"plain file replaces without checks", kPlain, 0, false, true, kNew, {}, u"", kOld, true, false, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    engine::OverwriteFacts facts;
    facts.kind = c.kind;
    facts.flags = c.flags;
    facts.portable = c.portable;
    facts.destination = kDest;
    facts.entry_version = c.entry_version;
    facts.entry_time = c.entry_time;
    facts.existing = {c.exists, c.existing_time, c.existing_version};
    engine::OverwriteDecision decision = engine::decide_overwrite(facts);
    EXPECT_EQ(decision.install, c.install);
    EXPECT_EQ(decision.record_existing, c.record);
    EXPECT_EQ(utf8(decision.log), c.log.empty() ? "" : utf8(kDest + c.log));
  }
}

TEST(OverwriteDecision, KindsAndRecording) {
  for (std::uint32_t kind : {2u, 3u, 13u, 0xFFFFFFFFu}) EXPECT_FALSE(engine::file_kind_rule(kind)) << kind;
  const bool recorded[13] = {true, false, false, false, false, true, false, false, false, true, true, true, true};
  for (std::uint32_t kind = 0; kind < 13; ++kind) {
    SCOPED_TRACE(kind);
    EXPECT_EQ(engine::records_file(kind, false), recorded[kind]);
    EXPECT_EQ(engine::records_file(kind, true), recorded[kind] || kind == engine::file_kind::kShared);
  }
}

std::u16string test_expand(std::u16string text) {
  const std::pair<const char16_t*, const char16_t*> values[] = {
      {u"%InstallDir%", u"C:\\App"},
      {u"%SharedDir%", u"C:\\Common\\Vendor"},
      {u"%UninstallDir%", u"C:\\App\\uninst"},
      {u"%FontDir%", u"C:\\Windows\\Fonts"},
      {u"%SystemDir%", u"C:\\Windows\\system32"},
      {u"%Data%", u"D:\\Data"},
  };
  for (auto [name, value] : values) text = kv::replace_all(text, name, value);
  return text;
}

TEST(FileDestination, NameKindFlagsAndAuthorPaths) {
  using namespace engine::file_kind;
  constexpr std::uint32_t kUninstallFolder = engine::entry_flags::kInUninstallFolder;
  struct Case {
    const char* name;
    const char* target;
    const char16_t* wide;
    std::uint32_t kind, flags;
    bool portable_shared;
    const char16_t* path;
    bool create_folder;
  };
  const Case cases[] = {
      {"default of kind 0", "docs\\guide.pdf", u"", kPlain, 0, false, u"C:\\App\\docs\\guide.pdf", true},
      {"default of kind 9", "a.dll", u"", kVersioned, 0, false, u"C:\\App\\a.dll", true},
      {"default of kind 1", "s.dll", u"", kShared, 0, false, u"C:\\Common\\Vendor\\s.dll", false},
      {"default of kind 4", "f.ttf", u"", kFont, 0, false, u"C:\\Windows\\Fonts\\f.ttf", false},
      {"default of kind 7", "c.dll", u"", kComServer, 0, false, u"C:\\Windows\\system32\\c.dll", false},
      {"uninstall folder flag", "help.txt", u"", kPlain, kUninstallFolder, false, u"C:\\App\\uninst\\help.txt", false},
      {"a wide name wins over the flag", "help.txt", u"doc\\", kPlain, kUninstallFolder, false,
       u"C:\\App\\doc\\help.txt", true},
      {"a bare name renames into the installation folder", "app.exe", u"tool.exe", kPlain, 0, false,
       u"C:\\App\\tool.exe", true},
      {"trailing backslash receives the name", "sub\\app.exe", u"bin\\", kPlain, 0, false, u"C:\\App\\bin\\app.exe",
       true},
      {"trailing double backslash", "app.exe", u"%Data%\\bin\\\\", kPlain, 0, false, u"D:\\Data\\bin\\app.exe", true},
      {"relative path with a new name", "app.exe", u"bin\\tool.exe", kPlain, 0, false, u"C:\\App\\bin\\tool.exe", true},
      {"absolute path", "app.exe", u"E:\\Other\\", kPlain, 0, false, u"E:\\Other\\app.exe", true},
      {"rooted path takes the base's drive", "app.exe", u"\\Root\\", kPlain, 0, false, u"C:\\Root\\app.exe", true},
      {"kind 1 is relative to the shared folder", "s.dll", u"lib\\", kShared, 0, false,
       u"C:\\Common\\Vendor\\lib\\s.dll", true},
      {"portable: a relative shared path stays", "s.dll", u"lib\\", kShared, 0, true, u"C:\\Common\\Vendor\\lib\\s.dll",
       true},
      {"portable: an absolute shared path is dropped", "s.dll", u"D:\\Sys\\", kShared, 0, true,
       u"C:\\Common\\Vendor\\s.dll", false},
      {"portable: a variable shared path is dropped", "s.dll", u"%Data%\\x\\", kShared, 0, true,
       u"C:\\Common\\Vendor\\s.dll", false},
      {"portable: a rename is kept", "s.dll", u"t.dll", kShared, 0, true, u"C:\\Common\\Vendor\\t.dll", false},
      {"portable rule only for kind 1", "a.exe", u"D:\\Sys\\", kPlain, 0, true, u"D:\\Sys\\a.exe", true},
      {"marked UTF-8 name", "|caf\xc3\xa9.txt", u"", kPlain, 0, false, u"C:\\App\\caf\u00e9.txt", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    engine::DestinationInput input{c.target, c.wide, c.kind, c.flags, c.portable_shared};
    std::optional<engine::FileDestination> destination = engine::compute_destination(input, test_expand);
    ASSERT_TRUE(destination);
    EXPECT_EQ(utf8(destination->path), utf8(c.path));
    EXPECT_EQ(destination->create_folder, c.create_folder);
  }
  engine::DestinationInput unknown{"x.dat", u"", 3, 0, false};
  EXPECT_FALSE(engine::compute_destination(unknown, test_expand));
}

TEST(FileLoopLists, UninstallKeyValues) {
  std::vector<engine::SharedFileReference> shared = {{"C:\\Common\\a.dll", '^'},
                                                     {"C:\\Windows\\t.tlb", '\xA9'},
                                                     {"C:\\COMMON\\A.DLL", '^'},
                                                     {"|C:\\\xc3\xa9.dll", ' '},
                                                     {"C:\\Common\\b.dll", 0}};
  EXPECT_EQ(engine::shared_files_value(shared),
            "\"C:\\Common\\a.dll^\";\"C:\\Windows\\t.tlb\xA9\";\"|C:\\\xc3\xa9.dll \";\"C:\\Common\\b.dll\"");

  std::vector<engine::InstalledFont> fonts = {{u"Sans \"Test\" (TrueType)", u"sans.ttf"},
                                              {u"Caf\u00e9", u"c\u00e9.ttf"}};
  EXPECT_EQ(engine::product_fonts_value(fonts),
            "\"Sans \"\"Test\"\" (TrueType)\",\"sans.ttf\";\"Caf\xc3\xa9\",\"|c\xc3\xa9.ttf\"");
  EXPECT_EQ(engine::path_set_key(u"C:\\App\\\u00c9X.DLL"), u"c:\\app\\\u00c9x.dll");
}

}  // namespace
