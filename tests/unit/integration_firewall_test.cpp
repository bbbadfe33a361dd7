// The firewall exception list: its lines and fields, what one line adds
// (against a firewall that answers as told) and what is recorded for the
// uninstaller, and the answer for an entry that is already there.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "firewall_list.h"
#include "text.h"
#include "uninstall_records.h"

namespace {

using namespace integration;
using namespace integration::firewall_result;

TEST(FirewallList, LinesEndAtEitherCharacterOrEitherPair) {
  struct Case {
    std::string list;
    std::vector<std::string_view> lines;
  };
  const Case cases[] = {
      {"a;b;c;d", {"a;b;c;d"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\n\rb", {"a", "b"}},
      {"a\rb\nc", {"a", "b", "c"}},
      {"a\r\rb", {"a", "b"}},          // two ends: the empty line between holds nothing
      {"a\r\n\r\nb", {"a", "b"}},
      {"a\n\r\n\rb", {"a", "b"}},
      {"\r\n\r\n", {}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(split_firewall_lines(c.list), c.lines) << testing::PrintToString(c.list);
}

TEST(FirewallList, FieldsOfALine) {
  auto e = parse_firewall_exception("8080;Web \xc3\xa9;3;", u"Product");
  ASSERT_TRUE(e);
  EXPECT_TRUE(e->is_port);
  EXPECT_EQ(e->port, 8080u);
  EXPECT_TRUE(e->tcp && e->udp);
  EXPECT_EQ(e->name, u"Web \u00e9");
  EXPECT_FALSE(e->keep);

  e = parse_firewall_exception("%InstallDir%\\app.exe;;0;1", u"Product");
  ASSERT_TRUE(e);
  EXPECT_FALSE(e->is_port);
  EXPECT_EQ(e->target, "%InstallDir%\\app.exe");
  EXPECT_EQ(e->name, u"Product");
  EXPECT_TRUE(e->keep);

  struct Case {
    std::string_view line;
    bool is_port;
    std::uint32_t port;
    bool tcp, udp, keep;
  };
  const Case cases[] = {
      {"53;n;2;", true, 53, false, true, false},
      {"53;n;1;x1y", true, 53, true, false, true},
      {"53;n;abc;2", true, 53, false, false, false},
      {"80a;n;1;", false, 0, true, false, false},
      {";n;1;", false, 0, true, false, false},                  // an empty path is a program without a path
      {"99999999999;n;1;", true, 0xFFFFFFFF, true, false, false},  // stays out of range
  };
  for (const Case& c : cases) {
    auto got = parse_firewall_exception(c.line, u"P");
    ASSERT_TRUE(got) << c.line;
    EXPECT_EQ(got->is_port, c.is_port) << c.line;
    EXPECT_EQ(got->port, c.port) << c.line;
    EXPECT_EQ(got->tcp, c.tcp) << c.line;
    EXPECT_EQ(got->udp, c.udp) << c.line;
    EXPECT_EQ(got->keep, c.keep) << c.line;
  }
  for (std::string_view damaged : {"8080;Web;3", "8080;Web;3;;", "8080", ""})
    EXPECT_FALSE(parse_firewall_exception(damaged, u"P")) << damaged;
}

TEST(FirewallList, AnExistingEntry) {
  EXPECT_EQ(existing_entry_result(false, std::nullopt, kPortStateUnread, false), std::nullopt);
  EXPECT_EQ(existing_entry_result(true, true, kPortStateUnread, false), kSuccess);
  EXPECT_EQ(existing_entry_result(true, true, kPortStateUnread, true), kExists);
  EXPECT_EQ(existing_entry_result(true, false, kPortStateUnread, true), std::nullopt);  // disabled: added again
  EXPECT_EQ(existing_entry_result(true, std::nullopt, kApplicationStateUnread, false), kApplicationStateUnread);
}

// A firewall that answers each call with the next code it was given.
struct ScriptedFirewall final : FirewallActions {
  std::vector<int> codes;
  std::vector<std::string> calls;
  bool exists = true;

  int next() {
    int code = codes.empty() ? kSuccess : codes.front();
    if (!codes.empty()) codes.erase(codes.begin());
    return code;
  }
  int add_port(std::uint32_t port, long protocol, const std::u16string& name) override {
    calls.push_back("port " + std::to_string(port) + "/" + std::to_string(protocol) + " " + kv::utf16_to_utf8(name));
    return next();
  }
  int add_program(const std::u16string& path, const std::u16string& name) override {
    calls.push_back("program " + kv::utf16_to_utf8(path) + " " + kv::utf16_to_utf8(name));
    return next();
  }
  std::u16string program_path(std::string_view target) override { return u"C:\\P\\" + kv::utf8_to_utf16(target); }
  bool file_exists(const std::u16string&) override { return exists; }
};

TEST(FirewallList, WhatALineAddsLogsAndRecords) {
  struct Case {
    std::string_view line;
    std::vector<int> codes;
    bool exists;
    std::vector<std::string> calls;
    std::u16string log;
    bool record;
  };
  const Case cases[] = {
      {"8080;Web;3;", {}, true, {"port 8080/6 Web", "port 8080/17 Web"},
       u"Added firewall exception: TCP port 8080\r\nAdded firewall exception: UDP port 8080\r\n", true},
      {"8080;Web;1;1", {}, true, {"port 8080/6 Web"}, u"Added firewall exception: TCP port 8080\r\n", false},
      {"53;;2;", {kNotAdded}, true, {"port 53/17 Product"}, u"Failed to open firewall port 53, code 13\r\n", false},
      // The last operation decides: UDP was opened, so the line is undone.
      {"53;;3;", {kNoPortList, kSuccess}, true, {"port 53/6 Product", "port 53/17 Product"},
       u"Failed to open firewall port 53, code 15\r\nAdded firewall exception: UDP port 53\r\n", true},
      {"70000;;1;", {}, true, {}, u"Failed to open firewall port 70000, code 19\r\n", false},
      {"0;;1;", {}, true, {}, u"Failed to open firewall port 0, code 19\r\n", false},
      {"8080;;0;", {}, true, {}, u"", false},  // no protocol: nothing added, nothing to undo
      {"app.exe;App;0;", {}, true, {"program C:\\P\\app.exe App"}, u"Added firewall exception: C:\\P\\app.exe\r\n",
       true},
      {"app.exe;App;0;", {kNoApplicationList}, true, {"program C:\\P\\app.exe App"},
       u"Failed to add firewall exception for \"C:\\P\\app.exe\", code 8\r\n", false},
      {"gone.exe;;0;", {}, false, {},
       u"Failed to add firewall exception for \"C:\\P\\gone.exe\": file does not exist\r\n", false},
  };
  for (const Case& c : cases) {
    ScriptedFirewall firewall;
    firewall.codes = c.codes;
    firewall.exists = c.exists;
    auto exception = parse_firewall_exception(c.line, u"Product");
    ASSERT_TRUE(exception) << c.line;
    FirewallLineOutcome outcome = install_firewall_exception(*exception, firewall);
    EXPECT_EQ(firewall.calls, c.calls) << c.line;
    EXPECT_EQ(outcome.log, c.log) << c.line;
    EXPECT_EQ(outcome.record, c.record) << c.line;
  }
}

TEST(FirewallList, TheUninstallerReadsBackTheRecordedProgram) {
  EXPECT_EQ(uninstall_firewall_line("8080;Web \xc3\xa9;3;"), "8080;Web \xc3\xa9;3;");
  EXPECT_EQ(uninstall_firewall_line("bin\\app.exe;App;0;"), "bin\\app.exe;App;0;");
  // The settings hold the path in UTF-8, the uninstaller reads the marked form.
  const std::string line = uninstall_firewall_line("bin\\\xc3\xa9t\xc3\xa9.exe;App;0;");
  EXPECT_EQ(line, "|bin\\\xc3\xa9t\xc3\xa9.exe;App;0;");
  auto record = uninstall::parse_firewall_line(line);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->program, u"bin\\\u00e9t\u00e9.exe");
}

TEST(FirewallList, PortableInstallationsMayLeaveTheFirewallAlone) {
  constexpr std::uint32_t kOther = 0x00000800;
  EXPECT_TRUE(firewall_skipped_when_portable(true, 0x00080000 | kOther));
  EXPECT_FALSE(firewall_skipped_when_portable(true, kOther));
  EXPECT_FALSE(firewall_skipped_when_portable(false, 0x00080000));
}

TEST(FirewallList, ConnectFailureText) {
  EXPECT_EQ(firewall_connect_failure(kNoManager), "Failed to connect to the firewall service: code 2\r\n");
}

}  // namespace
