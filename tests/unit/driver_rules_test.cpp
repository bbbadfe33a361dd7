// The installation driver's decisions about the wizard's answers: the
// checks of a chosen installation folder and the documents the licence and
// readme pages show.
#include <gtest/gtest.h>

#include "destination_checks.h"
#include "driver_rules.h"

namespace {

using setup::DestinationFacts;
using setup::DestinationRefusal;
using setup::DestinationRules;

TEST(DestinationChecks, AFolderPathMustNameAFolder) {
  struct Case {
    const char16_t* folder;
    bool valid;
  } cases[] = {
      {u"C:\\Program Files (x86)\\Hello", true},
      {u"C:\\Hello\\", true},
      {u"C:\\", true},
      {u"\\\\server\\share\\Hello", true},
      {u"\\\\server\\share", true},
      {u"", false},
      {u"Hello", false},                 // relative
      {u"C:", false},                    // the drive's current folder
      {u"C:Hello", false},
      {u"\\Hello", false},               // no drive
      {u"\\\\server", false},            // a server without a share
      {u"C:\\Hel|lo", false},
      {u"C:\\Hello?", false},
      {u"C:\\a:b", false},
      {u"C:\\Hello\\\\World", false},    // an empty level
      {u"C:\\Hello\\\\", false},
      {u"C:\\Hello \\World", false},     // the system would drop the blank
      {u"C:\\Hello.\\World", false},
      {u"C:\\..\\Hello", false},
      {u"C:\\Hel\tlo", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(setup::valid_folder_path(c.folder), c.valid) << testing::PrintToString(std::u16string(c.folder));
}

TEST(DestinationChecks, TheDriveRootOfLocalAndNetworkFolders) {
  EXPECT_EQ(setup::drive_root_of(u"C:\\Program Files\\Hello"), u"C:\\");
  EXPECT_EQ(setup::drive_root_of(u"d:"), u"d:\\");
  EXPECT_EQ(setup::drive_root_of(u"\\\\server\\share\\Hello\\x"), u"\\\\server\\share\\");
  EXPECT_EQ(setup::drive_root_of(u"\\\\server\\share"), u"\\\\server\\share\\");
  EXPECT_EQ(setup::drive_root_of(u"Hello"), u"");
}

TEST(DestinationChecks, TheFirstFailedCheckRefusesTheFolder) {
  DestinationFacts good;
  good.valid_path = true;
  good.drive_ready = true;
  const DestinationRules strict{true, true}, lenient{false, false};

  struct Case {
    const char* what;
    void (*change)(DestinationFacts&);
    DestinationRules rules;
    DestinationRefusal refusal;
  } cases[] = {
      {"a good folder", [](DestinationFacts&) {}, strict, DestinationRefusal::none},
      {"an invalid path", [](DestinationFacts& f) { f.valid_path = false; f.drive_ready = false; }, strict,
       DestinationRefusal::invalid_path},
      {"a drive without its disk", [](DestinationFacts& f) { f.drive_ready = false; }, strict,
       DestinationRefusal::drive_not_ready},
      // A share that cannot be reached is refused as a network folder.
      {"an unreachable share", [](DestinationFacts& f) { f.network = true; f.drive_ready = false; }, strict,
       DestinationRefusal::network},
      {"a share, allowed", [](DestinationFacts& f) { f.network = true; }, lenient, DestinationRefusal::none},
      {"the program files folder", [](DestinationFacts& f) { f.program_files_root = true; }, lenient,
       DestinationRefusal::program_files_root},
      {"a CD drive, always", [](DestinationFacts& f) { f.cd_drive = true; }, lenient,
       DestinationRefusal::unsuitable_drive},
      {"a removable drive", [](DestinationFacts& f) { f.removable_drive = true; }, strict,
       DestinationRefusal::unsuitable_drive},
      {"a removable drive, allowed", [](DestinationFacts& f) { f.removable_drive = true; }, lenient,
       DestinationRefusal::none},
  };
  for (const Case& c : cases) {
    DestinationFacts facts = good;
    c.change(facts);
    EXPECT_EQ(setup::destination_refusal(facts, c.rules), c.refusal) << c.what;
  }
}

TEST(DestinationChecks, TheSpaceQuestionComesOnlyWhenTheFreeSpaceIsKnownAndShort) {
  DestinationFacts facts;
  facts.required_bytes = 1000;
  EXPECT_FALSE(setup::short_of_space(facts));  // unknown: not checked
  facts.free_bytes = 1000;
  EXPECT_FALSE(setup::short_of_space(facts));
  facts.free_bytes = 999;
  EXPECT_TRUE(setup::short_of_space(facts));
}

std::u16string utf16_of(const std::string& marked) {
  EXPECT_TRUE(marked.starts_with("\xFF\xFE"));
  std::u16string out;
  for (std::size_t i = 2; i + 1 < marked.size(); i += 2)
    out.push_back(char16_t(std::uint8_t(marked[i]) | (std::uint8_t(marked[i + 1]) << 8)));
  return out;
}

TEST(PageDocuments, TheRunsOwnTextComesFirstAndPlainTextsHaveTheirVariablesExpanded) {
  const setup::TextExpansion expand = [](const std::u16string& text) {
    std::u16string out = text;
    for (std::size_t at; (at = out.find(u"%InstallDir%")) != std::u16string::npos;)
      out.replace(at, 12, u"C:\\Hello");
    return out;
  };
  const std::string rich = "{\\rtf1 %InstallDir%}";
  const std::string utf16 = std::string("\xFF\xFE", 2) + std::string("%\0I\0n\0s\0t\0a\0l\0l\0D\0i\0r\0%\0", 24);
  const std::vector<std::string> texts{"Caf\xE9 in %InstallDir%", "", rich, utf16};

  std::vector<std::string> shown = setup::page_documents(u"Read me first", texts, expand);
  ASSERT_EQ(shown.size(), 4u);  // the empty text has no page
  EXPECT_EQ(utf16_of(shown[0]), u"Read me first");
  EXPECT_EQ(utf16_of(shown[1]), u"Caf\u00e9 in C:\\Hello");  // Windows-1252 read as such
  EXPECT_EQ(shown[2], rich);  // rich text as the author wrote it
  EXPECT_EQ(utf16_of(shown[3]), u"C:\\Hello");

  EXPECT_EQ(setup::page_documents(u"", {}, expand).size(), 0u);
}

}  // namespace
