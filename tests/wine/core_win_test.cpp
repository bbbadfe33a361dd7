// The core library's Win32 layer under Wine: crash guards and silent dialogs.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs.h"
#include "kv_core.h"
#include "win_handles.h"

namespace {

std::vector<std::u16string> g_traced;
void capture(std::u16string_view text) { g_traced.emplace_back(text); }

volatile int g_depth_reached = 0;  // volatile: the store must happen before the crash

__attribute__((noinline)) void write_through(volatile int* p) { *p = 1; }

TEST(CrashGuard, CatchesAccessViolationsAndTheRunGoesOn) {
  for (int round = 0; round < 3; ++round) {
    kv::CrashInfo crash = kv::crash_guard([] { write_through(nullptr); });
    ASSERT_TRUE(crash.crashed);
    EXPECT_EQ(crash.code, 0xC0000005u);
    EXPECT_NE(crash.describe().find("exception 0xC0000005"), std::string::npos);
  }
  EXPECT_FALSE(kv::crash_guard([] {}).crashed);
}

TEST(CrashGuard, InnerGuardCatchesFirstAndOuterStaysArmed) {
  bool inner = false;
  kv::CrashInfo outer = kv::crash_guard([&] {
    inner = kv::crash_guard([] { write_through(nullptr); }).crashed;
    g_depth_reached = 1;
    write_through(nullptr);
    g_depth_reached = 2;
  });
  EXPECT_TRUE(inner);
  EXPECT_TRUE(outer.crashed);
  EXPECT_EQ(g_depth_reached, 1);
}

TEST(CrashGuard, ForeignExceptionsRaisedBySystemCodeAreCaught) {
  kv::CrashInfo crash = kv::crash_guard([] { RaiseException(0xE0434F4D, 0, 0, nullptr); });
  EXPECT_TRUE(crash.crashed);
  EXPECT_EQ(crash.code, 0xE0434F4Du);
}

TEST(CrashGuard, ExceptionsHandledInsideTheStepStayThere) {
  // A handler deeper than the guard sees its own exception first.
  int handled = 0;
  kv::CrashInfo crash = kv::crash_guard([&] {
    try {
      throw 5;
    } catch (int v) {
      handled = v;
    }
  });
  EXPECT_FALSE(crash.crashed);
  EXPECT_EQ(handled, 5);
}

TEST(Silent, DialogsAndBoxesShowNothingAndTraceTheirText) {
  kv::set_trace_hook(capture);
  kv::silent_switch.window_creation_disallowed = true;
  g_traced.clear();
  EXPECT_EQ(kv::dlg_run_w(GetModuleHandleW(nullptr), L"WelcomeDlg", nullptr, nullptr, 0), 0);
  EXPECT_EQ(kv::dlg_create_w(GetModuleHandleW(nullptr), L"ProgressDlg", nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(kv::smw_run_w(nullptr, u"hello", u"caption", MB_OK), IDOK);
  EXPECT_EQ(kv::message_box(u"boxed", u"", MB_YESNO), IDOK);
  EXPECT_TRUE(kv::question_box(u"Continue?"));
  kv::fatal_message_box(u"dying");
  kv::silent_switch.window_creation_disallowed = false;
  ASSERT_EQ(g_traced.size(), 6u);
  EXPECT_EQ(g_traced[0], u"dlg_run_w + window_creation_disallowed: WelcomeDlg");
  EXPECT_EQ(g_traced[1], u"dlg_create_w + window_creation_disallowed: ProgressDlg");
  EXPECT_EQ(g_traced[2], u"smw_run_w + window_creation_disallowed\r\nhello");
  EXPECT_EQ(g_traced[3], u"smw_run_w + window_creation_disallowed\r\nboxed");
  EXPECT_EQ(g_traced[4], u"smw_run_w + window_creation_disallowed\r\nContinue?");
  EXPECT_EQ(g_traced[5], u"fatal + window_creation_disallowed\r\ndying");
  kv::set_trace_hook(nullptr);
}

TEST(Win32, ModuleFileNameIsTheRunningProgram) {
  std::u16string name = kv::module_file_name();
  EXPECT_NE(name.find(u"core_win_tests.exe"), std::u16string::npos);
}

}  // namespace
