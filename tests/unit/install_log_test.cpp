// The log operations' conversions, the wide formatter, and the composition of
// Install.log and the decisions at the end of the run.
#include <gtest/gtest.h>

#include "engine_run.h"
#include "install_log.h"
#include "install_log_file.h"

namespace {

struct StringSink final : engine::RunLogSink {
  std::string bytes;
  void append(std::string_view utf8) override { bytes += utf8; }
};

struct LogOperations : testing::Test {
  StringSink sink;
  LogOperations() {
    engine::run.log.run_log = &sink;
    engine::run.log.error_report.clear();
  }
  ~LogOperations() override { engine::run.log.run_log = nullptr; }
};

TEST_F(LogOperations, EveryOperationWritesUtf8) {
  engine::log_text("Copying...");
  engine::log_narrow("caf\xE9 \x80 ");  // code page 1252
  engine::log_wide(u"\u4E2D\U0001F600 ");
  engine::log_wide(u"lone \xD800 surrogate ");
  engine::log_format("%d files, %s", 3, "OK");
  engine::log_line_end();
  engine::log_pieces({"C:\\", "caf\xE9", " is up to date.\r\n"});
  engine::log_wide_pieces({u"C:\\\u0416", u" FAILED, code ", u"5\r\n"});
  engine::log_wide_format(u"%s...%d%%", u"D:\\\u0416", 7);
  EXPECT_EQ(sink.bytes,
            "Copying...caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD\xF0\x9F\x98\x80 lone ? surrogate 3 files, OK\r\n"
            "C:\\caf\xC3\xA9 is up to date.\r\n"
            "C:\\\xD0\x96 FAILED, code 5\r\n"
            "D:\\\xD0\x96...7%");
}

TEST_F(LogOperations, NothingIsWrittenBeforeTheLogIsOpen) {
  engine::run.log.run_log = nullptr;
  engine::log_text("lost");
  engine::log_wide_format(u"%s", u"lost");
  EXPECT_EQ(sink.bytes, "");
}

TEST_F(LogOperations, ErrorReportCollectsNarrowText) {
  engine::error_report_format("Could not copy \"%s\": code %d\r\n\r\n", "a.dll", 5);
  engine::error_report_append(u"caf\u00E9 \u4E2D\r\n");  // the ANSI code page lacks the last one
  EXPECT_EQ(engine::run.log.error_report, "Could not copy \"a.dll\": code 5\r\n\r\ncaf\xE9 ?\r\n");
  EXPECT_EQ(sink.bytes, "");
}

TEST(WideFormat, PrintfConversionsAndMismatchedArguments) {
  using engine::format_wide;
  EXPECT_EQ(format_wide(u"%s to %s", u"a", std::u16string(u"b")), u"a to b");
  EXPECT_EQ(format_wide(u"[%5d|%-5d|%05d|%+d|%.3d]", 42, 42, -42, 7, 5), u"[   42|42   |-0042|+7|005]");
  EXPECT_EQ(format_wide(u"%x %X %08X %u", 255, 255, 0xC0000005u, -1), u"ff FF C0000005 4294967295");
  EXPECT_EQ(format_wide(u"%ld %I64d %lld %hu", 1L, std::int64_t(-5000000000), 3LL, std::uint16_t(9)),
            u"1 -5000000000 3 9");
  EXPECT_EQ(format_wide(u"%c%c|%.2s|%4s", u'Z', 'y', u"abc", "\xE9"), u"Zy|ab|   \u00E9");
  EXPECT_EQ(format_wide(u"100%% %p %"), u"100% %p %");
  // A translated text asking for more than it is given.
  EXPECT_EQ(format_wide(u"%s, %d and %s", 12, u"x"), u"12, x and ");
  EXPECT_EQ(format_wide(u"%99999999999999d|", 1).size(), 1025u);
}

TEST(InstallLogFile, DateIsFourDigitYearThenTwoDigitFields) {
  EXPECT_EQ(engine::format_install_date({2024, 3, 9, 14, 5, 0}), "2024/03/09 14:05:00");
}

std::string applied(const std::string& old, const engine::InstallLogWrite& write, std::string_view run_log) {
  return write.rewrite.value_or(old) + write.head + std::string(run_log) + write.tail;
}

struct InstallLogComposition : testing::Test {
  engine::InstallLogHeader header;
  InstallLogComposition() {
    header.product_name = u"Tool \u4E2D";
    header.install_date = "2024/03/09 14:05:00";
    header.install_location = u"C:\\Program Files\\Tool";
    header.product_version = u"2.1";
    header.operating_system = "Windows 7 Service Pack 1 x64";
  }
  std::string run(const std::string& old, std::string_view failures = {}) {
    return applied(old, engine::plan_install_log(old, header, failures, u"Installation complete."),
                   "Copying...OK\r\n");
  }
};

TEST_F(InstallLogComposition, FirstRunHasByteOrderMarkAndNoSeparator) {
  EXPECT_EQ(run(""),
            "\xEF\xBB\xBF"
            "Installation log for: Tool \xE4\xB8\xAD\r\n"
            "Install date: 2024/03/09 14:05:00\r\n"
            "Install location: C:\\Program Files\\Tool\r\n"
            "Installer version: 37.0.4\r\n"
            "Product version: 2.1\r\n"
            "Operating system: Windows 7 Service Pack 1 x64\r\n"
            "Copying...OK\r\n"
            "\r\n"
            "Installation complete.\r\n");
}

TEST_F(InstallLogComposition, SecondRunAppendsSeparatorAndHeader) {
  std::string first = run("");
  header.reinstall = true;
  header.overwriting_version = u"2.0";
  std::string second = run(first, "Could not register x.dll\r\n\r\n");
  ASSERT_TRUE(second.starts_with(first));
  EXPECT_EQ(second.substr(first.size()),
            "\r\n\r\n**********************************************\r\n"
            "Installation log for: Tool \xE4\xB8\xAD\r\n"
            "Install date: 2024/03/09 14:05:00\r\n"
            "Install type: Reinstall\r\n"
            "Install location: C:\\Program Files\\Tool\r\n"
            "Installer version: 37.0.4\r\n"
            "Product version: 2.1\r\n"
            "Overwriting version: 2.0\r\n"
            "Operating system: Windows 7 Service Pack 1 x64\r\n"
            "Copying...OK\r\n"
            "\r\n"
            "*** FAILURE SUMMARY ***\r\n"
            "Could not register x.dll\r\n\r\n");
  // Only the bytes at the start decide; the whole file need not be read.
  EXPECT_FALSE(engine::plan_install_log("\xEF\xBB\xBF", header, "", u"").rewrite);
}

TEST_F(InstallLogComposition, OldCodePage1252FileIsConvertedOnce) {
  const std::string old = "Installation log for: Caf\xE9\r\n";
  engine::InstallLogWrite write = engine::plan_install_log(old, header, "", u"done");
  ASSERT_TRUE(write.rewrite);
  EXPECT_EQ(*write.rewrite, "\xEF\xBB\xBFInstallation log for: Caf\xC3\xA9\r\n");
  EXPECT_TRUE(write.head.starts_with(engine::kLogSeparator));
  std::string once = applied(old, write, "");
  EXPECT_FALSE(engine::plan_install_log(once, header, "", u"done").rewrite);
}

TEST_F(InstallLogComposition, OptionalHeaderLines) {
  header.product_version.clear();
  header.reinstall = false;
  std::string text = run("");
  EXPECT_EQ(text.find("Product version: "), std::string::npos);
  EXPECT_EQ(text.find("Overwriting version: "), std::string::npos);
  EXPECT_NE(text.find("Install type: New\r\n"), std::string::npos);
  // The failure summary comes from the ANSI code page.
  EXPECT_TRUE(run("", "caf\xE9\r\n").ends_with("*** FAILURE SUMMARY ***\r\ncaf\xC3\xA9\r\n"));
}

TEST(FinishLog, PromptsAndWhetherTheFileIsWritten) {
  using P = engine::FinishPrompt;
  struct Row {
    const char* what;
    engine::FinishLogFacts facts;
    P prompt;
    bool offer_log, write_file;
  };
  // prompts, automatic, failures, log wanted, offer, summary choices, reboot
  const Row rows[] = {
      {"no failures, log off: nothing written", {true, false, false, false, true, false, false},
       P::completion_box, false, false},
      {"one failure writes even with the log off", {true, false, true, false, false, false, false},
       P::show_log_question, false, true},
      {"log wanted and offered: summary page", {true, false, false, true, true, false, false}, P::summary_page,
       true, true},
      {"summary with a program to run", {true, false, false, false, false, true, false}, P::summary_page, false,
       false},
      {"reboot required: box", {true, false, false, true, true, true, true}, P::completion_box, true, true},
      {"automatic: no prompt, offer kept", {true, true, false, false, true, false, false}, P::none, true, false},
      {"crash report: no prompt", {false, false, true, false, false, false, false}, P::none, false, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    engine::FinishLogPlan plan = engine::plan_finish_log(r.facts);
    EXPECT_EQ(plan.prompt, r.prompt);
    EXPECT_EQ(plan.offer_log, r.offer_log);
    EXPECT_EQ(plan.write_file, r.write_file);
  }
}

}  // namespace
