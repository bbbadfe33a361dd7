#include <gtest/gtest.h>

#include "crash_filter.h"
#include "crash_mail.h"
#include "crash_report_text.h"

namespace {

using namespace crash;

CrashFacts write_violation() {
  CrashFacts f;
  f.code = kAccessViolation;
  f.address = 0x00401A2B;
  f.access_write = true;
  f.access_address = 0x0000ABCD;
  f.product = "Tessaline Setup 37.0.4 Standard";
  f.thread_id = 12;
  f.main_thread_id = 10;
  f.times = "0:00:01.500 / 0:00:00.100 / 0:00:00.200";
  f.os = "Windows 7 Service Pack 1 x64 (6.1.7601)";
  f.ie = "8.0";
  f.language = "English";
  f.locale = 0x409;
  f.codepage = 1252;
  f.command_line = "setup.exe /a";
  f.registers = {1, 2, 3, 4, 5, 6, 0x00401A2B, 8, 9, 0x246, 0x23, 0x2B, 0x2B, 0x53, 0x2B, 0x2B};
  f.modules = std::vector<LoadedModule>{{0x00400000, 0x10000, "setup.exe"}, {0x7BC10000, 0x1000, "ntdll.dll"}};
  f.stack = {{0x0012FF10, 0x00401A2B, "setup.exe", "crash_here"}, {0x0012FF40, 0x7BC10010, "ntdll.dll", ""},
             {0, 0x1, "never", ""}};
  return f;
}

TEST(CrashReport, AnAccessViolationOnAWrite) {
  EXPECT_EQ(crash_report_text(write_violation()),
            "Exception: Illegal memory access.\r\n"
            "\r\n"
            "Product: Tessaline Setup 37.0.4 Standard\r\n"
            "Exception code: C0000005\r\n"
            "Address: 00401A2B\r\n"
            "Module: setup.exe\r\n"
            "Read/write: write\r\n"
            "Memory address: 0000ABCD\r\n"
            "Thread ID: 12  Main Thread: 10\r\n"
            "Process/kernel/user time: 0:00:01.500 / 0:00:00.100 / 0:00:00.200\r\n"
            "OS: Windows 7 Service Pack 1 x64 (6.1.7601)\r\n"
            "IE: 8.0\r\n"
            "Language: English\r\n"
            "Locale: 0x00000409  Codepage: 1252\r\n"
            "Command line: setup.exe /a\r\n"
            "\r\n"
            "CPU Registers:\r\n"
            "Flags: 00000246\r\n"
            "  EAX: 00000001\r\n  EBX: 00000002\r\n  ECX: 00000003\r\n  EDX: 00000004\r\n  EDI: 00000005\r\n"
            "  ESI: 00000006\r\n  EIP: 00401A2B\r\n  EBP: 00000008\r\n  ESP: 00000009\r\n"
            "   CS: 00000023\r\n   DS: 0000002B\r\n   ES: 0000002B\r\n   FS: 00000053\r\n   GS: 0000002B\r\n"
            "   SS: 0000002B\r\n"
            "\r\n"
            "Modules:\r\n"
            "00400000 0040FFFF setup.exe\r\n"
            "7BC10000 7BC10FFF ntdll.dll\r\n"
            "\r\n"
            "Call Stack:\r\n"
            "0012FF10 00401A2B setup.exe crash_here\r\n"
            "0012FF40 7BC10010 ntdll.dll\r\n");
}

TEST(CrashReport, OptionalPartsAndTheFatalErrorCode) {
  CrashFacts f = write_violation();
  f.code = 0xC0000094;
  f.modules.reset();
  f.times.reset();
  f.office_version = "16.0";
  f.office_detail = "C:\\Office\\";
  f.out_of_memory = true;
  f.command_line.clear();
  std::string text = crash_report_text(f);
  EXPECT_TRUE(text.starts_with("Exception: Integer divide by zero.\r\n"));
  EXPECT_EQ(text.find("Read/write"), std::string::npos);
  EXPECT_EQ(text.find("Module"), std::string::npos);
  EXPECT_EQ(text.find("time:"), std::string::npos);
  EXPECT_EQ(text.find("Command line"), std::string::npos);
  EXPECT_NE(text.find("\r\nOffice: 16.0 (C:\\Office\\)\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nA previous out-of-memory condition occurred.\r\n"), std::string::npos);
  EXPECT_NE(text.find("   SS: 0000002B\r\n\r\nCall Stack:\r\n"), std::string::npos);

  f.code = kFatalErrorCode;
  f.fatal_text = "Out Of Memory.\r\nAdvice: ...";
  text = crash_report_text(f);
  EXPECT_TRUE(text.starts_with("Fatal error: Out Of Memory.\r\nAdvice: ...\r\n\r\nProduct: "));
  EXPECT_EQ(text.find("Exception code"), std::string::npos);
  EXPECT_EQ(text.find("CPU Registers"), std::string::npos);
  // The fatal path's own exhaustion report says so itself.
  EXPECT_EQ(text.find("previous out-of-memory"), std::string::npos);
  EXPECT_TRUE(text.ends_with("Codepage: 1252\r\n\r\nCall Stack:\r\n0012FF10 00401A2B setup.exe crash_here\r\n"
                             "0012FF40 7BC10010 ntdll.dll\r\n"));

  f.code = 0x12345678;  // no description
  EXPECT_TRUE(crash_report_text(f).starts_with("Exception: \r\n\r\nProduct: "));
}

TEST(CrashReport, TheStackStopsAtAHundredFrames) {
  CrashFacts f = write_violation();
  f.stack.assign(150, StackFrame{0x100, 0x200, "m", ""});
  std::string text = crash_report_text(f);
  const std::string frames = text.substr(text.find("Call Stack:\r\n") + 13);
  EXPECT_EQ(std::count(frames.begin(), frames.end(), '\n'), 100);
}

TEST(CrashMail, HeadersBodyAndSubject) {
  EXPECT_EQ(mail_subject("37.0.4", "Hello-Setup.exe"), "Exception - Installer 37.0.4: Hello-Setup.exe");
  EXPECT_EQ(mail_headers("X-Quarnelle-Internal: 2 \r\n", {}), "X-Quarnelle-Internal: 2\r\n");
  EXPECT_EQ(mail_headers("", {}), "");
  EXPECT_EQ(mail_body("REPORT\r\n", {}), "REPORT\r\n");
  const UserNote note{"me@example.org", "it broke"};
  EXPECT_EQ(mail_headers("X-Q: 2", note),
            "X-Q: 2\r\nX-Exception-Email: me@example.org\r\nReply-To: me@example.org\r\n");
  EXPECT_EQ(mail_body("REPORT\r\n", note), "REPORT\r\n\r\nEmail: me@example.org\r\n\r\nComments:\r\nit broke");
  // An address cannot add header lines of its own.
  EXPECT_EQ(mail_headers("", {"a@b\r\nBcc: x@y", ""}), "X-Exception-Email: a@bBcc: x@y\r\nReply-To: a@bBcc: x@y\r\n");
}

TEST(CrashMail, TheFormIsMultipartInFieldOrder) {
  EXPECT_EQ(form_body({{"from", "s@t"}, {"body", "B\r\n"}, {"subject", "S"}, {"headers", ""}}),
            "--AaB03x\r\nContent-Disposition: form-data; name=\"from\"\r\n\r\ns@t\r\n"
            "--AaB03x\r\nContent-Disposition: form-data; name=\"body\"\r\n\r\nB\r\n\r\n"
            "--AaB03x\r\nContent-Disposition: form-data; name=\"subject\"\r\n\r\nS\r\n"
            "--AaB03x\r\nContent-Disposition: form-data; name=\"headers\"\r\n\r\n\r\n"
            "--AaB03x--\r\n");
}

TEST(CrashFilter, WhatIsReported) {
  EXPECT_EQ(filter_answer(kAccessViolation, true, false), FilterAnswer::report);
  EXPECT_EQ(filter_answer(kStackOverflow, true, false), FilterAnswer::report);
  for (std::uint32_t passed : {0x80000003u, 0x80000004u, 0xC0000025u, 0xE06D7363u})
    EXPECT_EQ(filter_answer(passed, true, false), FilterAnswer::pass_on) << std::hex << passed;
  EXPECT_EQ(filter_answer(kAccessViolation, false, false), FilterAnswer::pass_on);
  EXPECT_EQ(filter_answer(kAccessViolation, true, true), FilterAnswer::pass_on);
}

}  // namespace
