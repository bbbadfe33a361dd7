// The runtime's command line, as a table of lines and what they must give.
#include <gtest/gtest.h>

#include "command_line.h"
#include "run_outcome.h"

namespace {

using setup::CommandLine;
using setup::parse_command_line;

struct Case {
  const char16_t* line;
  const char16_t* reason;  // expected usage reason, empty when the line is good
  void (*check)(const CommandLine&);
};

const Case kCases[] = {
    {u"setup.exe", u"", [](const CommandLine& c) { EXPECT_FALSE(c.automatic || c.silent || c.uninstall); }},
    {u"setup.exe /a", u"", [](const CommandLine& c) { EXPECT_TRUE(c.automatic); EXPECT_FALSE(c.silent); }},
    {u"setup.exe -SILENT", u"", [](const CommandLine& c) { EXPECT_TRUE(c.silent && c.automatic); }},
    {u"setup.exe /silent /MIN", u"", [](const CommandLine& c) { EXPECT_TRUE(c.silent && c.minimised); }},
    {u"  \"C:\\my dir\\setup.exe\"   /d:\"C:\\Program Files\\My App\"", u"",
     [](const CommandLine& c) { EXPECT_EQ(c.folder_override, u"C:\\Program Files\\My App"); }},
    {u"setup.exe /d:C:\\dir\"", u"", [](const CommandLine& c) { EXPECT_EQ(c.folder_override, u"C:\\dir\""); }},
    {u"setup.exe /D:\"", u"", [](const CommandLine& c) { EXPECT_EQ(c.folder_override, u"\""); }},
    {u"setup.exe /n:\"Other Name\"", u"", [](const CommandLine& c) { EXPECT_EQ(c.name_override, u"Other Name"); }},
    {u"setup.exe /u:\"My Product\"", u"",
     [](const CommandLine& c) { EXPECT_TRUE(c.uninstall); EXPECT_EQ(c.uninstall_name, u"My Product"); }},
    {u"setup.exe /u", u"", [](const CommandLine& c) { EXPECT_TRUE(c.uninstall); EXPECT_EQ(c.uninstall_name, u""); }},
    {u"setup.exe /Uninstall", u"",
     [](const CommandLine& c) { EXPECT_TRUE(c.uninstall); EXPECT_EQ(c.uninstall_name, u""); }},
    {u"setup.exe /AUTO", u"Illegal command line atom:\r\nAUTO", nullptr},
    {u"setup.exe /x", u"Illegal command line atom:\r\nx", nullptr},
    {u"setup.exe /silent /x", u"Illegal command line atom:\r\nx",
     [](const CommandLine& c) { EXPECT_TRUE(c.silent); }},
    {u"setup.exe install", u"Unexpected command line parameter:\r\ninstall", nullptr},
    {u"setup.exe / - /a", u"", [](const CommandLine& c) { EXPECT_TRUE(c.automatic); }},
    {u"setup.exe /r:\"C:\\app.exe `quoted arg`\"", u"",
     [](const CommandLine& c) { EXPECT_EQ(c.run_after, u"C:\\app.exe \"quoted arg\""); }},
    // "R:" without the opening quote is no switch of ours.
    {u"setup.exe /r:app.exe", u"Illegal command line atom:\r\nr:app.exe", nullptr},
    {u"setup.exe /b1:\"echo `one`~~echo two\"", u"",
     [](const CommandLine& c) { EXPECT_EQ(c.extra_batch[0], "echo \"one\"\r\necho two"); }},
    {u"setup.exe /b2:\"plain\" /b3:\"caf\u00e9 \u4e2d\"", u"",
     [](const CommandLine& c) {
       EXPECT_EQ(c.extra_batch[1], "plain");
       EXPECT_EQ(c.extra_batch[2], "caf\xe9 ?");
     }},
    {u"setup.exe /b2:\"first\" /b2:\"second\"", u"", [](const CommandLine& c) { EXPECT_EQ(c.extra_batch[1], "second"); }},
    // Nineteen switches are read; the twentieth is ignored even when illegal.
    {u"s /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /silent /illegal", u"",
     [](const CommandLine& c) { EXPECT_TRUE(c.silent); }},
    {u"s /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /illegal", u"Illegal command line atom:\r\nillegal",
     nullptr},
};

TEST(CommandLine, Table) {
  for (const Case& c : kCases) {
    std::u16string line = c.line;
    SCOPED_TRACE(std::string(line.begin(), line.end()));
    CommandLine parsed = parse_command_line(c.line);
    EXPECT_EQ(parsed.usage_reason, c.reason);
    if (c.check) c.check(parsed);
  }
}

TEST(CommandLine, SplitKeepsQuotedStretchesInTheirToken) {
  auto tokens = setup::split_command_line(u"  a\t/d:\"x y\"z  \"q r\" ");
  ASSERT_EQ(tokens.size(), 3u);
  EXPECT_EQ(tokens[1], u"/d:\"x y\"z");
  EXPECT_EQ(tokens[2], u"\"q r\"");
}

TEST(CommandLine, UsageTextByteForByte) {
  const char kExpected[] =
      "Illegal command line atom:\r\nx\r\n\r\nUsage:\r\nSetup.exe [/a] [/b1:\"commands\"] [/b2:\"commands\"] "
      "[/b3:\"commands\"] [/d:\"dir\"] [/n:\"name\"] [/u:\"name\"] [/r:\"program\"] [/silent]\r\n\r\n/a      "
      "            \tAutomatic mode.\r\n/d:\"dir\"        \tOverride installation path.\r\n/b1:\"commands\"\tAdd "
      "commands to the end of the Pre-Installation Batch.\r\n/b2:\"commands\"\tAdd commands to the end of the "
      "Post-Installation Batch.\r\n/b3:\"commands\"\tAdd commands to the end of the Installation-Exit "
      "Batch.\r\n/n:\"name\"\tOverride product name.\r\n/u:\"name\"\tUninstall product by name.\r\n/r:\"program\""
      "\tRun the specified program after a successful installation.\r\n/silent\tDisplay no user interface.";
  EXPECT_EQ(setup::usage_text("Illegal command line atom:\r\nx", "Setup.exe"), kExpected);
  // Percent signs in the reason are text, not format.
  EXPECT_EQ(setup::usage_text("100%s", "a%d.exe").substr(0, 28), "100%s\r\n\r\nUsage:\r\na%d.exe [/a");
}

}  // namespace

TEST(RunOutcome, ExitCodesOfBothSets) {
  using setup::RunOutcome;
  struct Case {
    RunOutcome outcome;
    int classic_install, classic_uninstall, deployment;
  } cases[] = {
      {RunOutcome::completed, 1, 0, 0},      {RunOutcome::restart_needed, 1, 0, 3010},
      {RunOutcome::cancelled, 1, 1, 1602},   {RunOutcome::refused, 1, 0, 1603},
      {RunOutcome::incomplete, 1, 0, 1603},  {RunOutcome::failed, 1, 1, 1603},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(setup::run_exit_code(c.outcome, false, false), c.classic_install);
    EXPECT_EQ(setup::run_exit_code(c.outcome, false, true), c.classic_uninstall);
    EXPECT_EQ(setup::run_exit_code(c.outcome, true, false), c.deployment);
    EXPECT_EQ(setup::run_exit_code(c.outcome, true, true), c.deployment);
  }
}
