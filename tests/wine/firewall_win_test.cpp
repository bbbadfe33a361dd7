// The firewall step's ways of ending early, in the test prefix: a damaged
// list ends the run before anything reaches the firewall, and a firewall
// that cannot be reached is logged. Each case runs in a process of its own
// (the firewall connection is kept per process). The recording firewall
// stands in for the system's under its class ids while a test lasts.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine_run.h"
#include "fatal.h"
#include "firewall_exceptions.h"
#include "install_log.h"
#include "registry.h"
#include "run_state.h"
#include "text.h"
#include "test_files_win.h"
#include "win_handles.h"

namespace {

constexpr const char16_t* kFirewallClasses[] = {
    u"{304CE942-6E39-40D8-943A-B913C40C9CD4}",
    u"{0CA545C6-37AD-4A6C-BF92-9F7610067EF5}",
    u"{EC9846B3-2762-4A6B-A214-6ACB603462D2}",
};

std::u16string server_key(const char16_t* type) {
  return u"Software\\Classes\\CLSID\\" + std::u16string(type) + u"\\InprocServer32";
}

// The log of the step, written to stderr at the end of a child process.
struct StringLog final : engine::RunLogSink {
  std::string text;
  void append(std::string_view utf8) override { text += utf8; }
};

class FirewallStep : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char16_t* type : kFirewallClasses) {
      kv::UniqueRegKey key = kv::reg_open(HKEY_LOCAL_MACHINE, server_key(type), KEY_READ, kv::RegView::native32);
      ASSERT_TRUE(key);
      originals_.push_back(kv::reg_read_string(key.get(), u"").value_or(u""));
    }
    std::string dll = TESS_FIREWALL_DOUBLE;
    for (char& c : dll)
      if (c == '/') c = '\\';
    double_ = u"Z:" + kv::utf8_to_utf16(dll);
    std::u16string folder = double_.substr(0, double_.find_last_of(u'\\') + 1);
    journal_ = folder + u"firewall-journal.txt";
    DeleteFileW(kv::as_wide(journal_));
    DeleteFileW(kv::as_wide(folder + u"firewall-state.txt"));
    setup::run.placeholders.product = u"Firewall Test";
    engine::run.paths.install_dir = u"C:\\Firewall Test";
    engine::run.log.run_log = &log_;
  }
  void TearDown() override {
    for (std::size_t i = 0; i < originals_.size(); ++i) register_server(kFirewallClasses[i], originals_[i]);
    engine::run.log.run_log = nullptr;
  }

  static void register_server(const char16_t* type, const std::u16string& path) {
    kv::UniqueRegKey key = kv::reg_create(HKEY_LOCAL_MACHINE, server_key(type), KEY_WRITE, kv::RegView::native32);
    kv::reg_write_string(key.get(), u"", path);
  }
  void register_double() {
    for (const char16_t* type : kFirewallClasses) register_server(type, double_);
  }

  [[noreturn]] void run_step_and_exit() {
    integration::install_firewall_exceptions();
    std::fputs(log_.text.c_str(), stderr);
    std::exit(0);
  }

  std::vector<std::u16string> originals_;
  std::u16string double_;
  std::u16string journal_;
  StringLog log_;
};

void print_fatal(const char* text) { std::fputs(text, stderr); }

TEST_F(FirewallStep, ALineOfThreeFieldsEndsTheRunBeforeAnythingIsAdded) {
  register_double();
  setup::run.settings.firewall_exceptions = "8080;Web;3;\r\n8081;Web;3\r\nserver.exe;Server;0;\r\n";
  EXPECT_EXIT(
      {
        kv::set_fatal_callback(print_fatal);
        run_step_and_exit();
      },
      ::testing::ExitedWithCode(1),
      ::testing::AllOf(::testing::StartsWith("This installation program is corrupt."),
                       ::testing::EndsWith("Error code: 90")));
  EXPECT_EQ(read_file(journal_), "");
}

TEST_F(FirewallStep, AFirewallThatCannotBeReachedIsLogged) {
  register_server(kFirewallClasses[0], u"C:\\no such folder\\no firewall.dll");
  setup::run.settings.firewall_exceptions = "8080;Web;1;\r\n";
  EXPECT_EXIT(run_step_and_exit(), ::testing::ExitedWithCode(0),
              ::testing::Eq("Failed to connect to the firewall service: code 2\r\n"));
}

}  // namespace
