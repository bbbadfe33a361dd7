// What the settings decide about the run: automatic mode, the flags of a
// silent run, and the platform requirements.
#include <gtest/gtest.h>

#include "settings_run_modes.h"
#include "localised.h"
#include "settings_system.h"

namespace {

using namespace setup;

TEST(SettingsRunModes, AutomaticChoice) {
  struct Case {
    std::uint8_t choice;
    bool automatic, silent, expected;
  };
  const Case cases[] = {
      {1, false, false, true}, {2, true, false, false}, {2, true, true, true},
      {0, true, false, true},  {0, false, false, false}, {3, true, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.choice) << " " << c.automatic << " " << c.silent);
    EXPECT_EQ(automatic_after_settings(c.choice, c.automatic, c.silent), c.expected);
  }
}

TEST(SettingsRunModes, SilentForcesFlags) {
  EXPECT_EQ(forced_for_silent({0xFFFFFFFF, 0xFFFFFFFF}), (ProductFlagWords{0x7FFFFF7F, 0xFFF7EDE3}));
  EXPECT_EQ(forced_for_silent({0, 0}), (ProductFlagWords{0x30600000, 0x00000800}));
  ProductFlagWords silent = forced_for_silent({flags_low::kConfirmFolder | flags_low::kDestinationPage,
                                               flags_high::kAlwaysAskRestart | flags_high::kStartMenuPage});
  EXPECT_FALSE(silent.has_low(flags_low::kConfirmFolder) || silent.has_low(flags_low::kDestinationPage));
  EXPECT_FALSE(silent.has_high(flags_high::kAlwaysAskRestart) || silent.has_high(flags_high::kStartMenuPage));
  EXPECT_TRUE(silent.has_high(flags_high::kNoInteractiveGreeting));
  EXPECT_FALSE(wants_background_window(silent, false));
  EXPECT_TRUE(wants_background_window({0, 0}, false));
  EXPECT_FALSE(wants_background_window({0, 0}, true));
}

TEST(SettingsSystem, FamilyOfTheRunningSystem) {
  struct Case {
    std::uint32_t platform;
    std::uint8_t product_type;
    std::uint32_t major, minor, build, family;
  };
  namespace f = system_family;
  const std::uint8_t ws = kv::kProductWorkstation, server = kv::kProductServer, dc = kv::kProductDomainController;
  const Case cases[] = {
      {kv::kPlatform9x, ws, 4, 10, 2222, f::kWindows9x},  {kv::kPlatformNt, ws, 4, 0, 1381, f::kWindowsNT4},
      {kv::kPlatformNt, ws, 5, 1, 2600, f::kWindowsXP},   {kv::kPlatformNt, ws, 5, 2, 3790, f::kWindowsXP},
      {kv::kPlatformNt, server, 5, 2, 3790, f::kServer2003}, {kv::kPlatformNt, ws, 6, 1, 7601, f::kWindows7},
      {kv::kPlatformNt, dc, 6, 1, 7601, f::kServer2008},  {kv::kPlatformNt, ws, 6, 3, 9600, f::kWindows81},
      {kv::kPlatformNt, ws, 10, 0, 19045, f::kWindows10}, {kv::kPlatformNt, ws, 10, 0, 22000, f::kWindows11},
      {kv::kPlatformNt, server, 10, 0, 26100, f::kServer2016}, {kv::kPlatformNt, ws, 11, 0, 30000, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.major << "." << c.minor << "." << c.build << " type " << int(c.product_type));
    kv::OsVersion os;
    os.platform = c.platform;
    os.product_type = c.product_type;
    os.major = c.major;
    os.minor = c.minor;
    os.build = c.build;
    EXPECT_EQ(system_family_of(os), c.family);
  }
}

TEST(SettingsSystem, MinimumVersionComparesInOrder) {
  const SystemVersion win7_sp1{6, 1, 7601, 1, 0};
  EXPECT_TRUE(meets_minimum_system(win7_sp1, {}));
  EXPECT_TRUE(meets_minimum_system(win7_sp1, {6, 1, 7601, 1, 0}));
  EXPECT_TRUE(meets_minimum_system(win7_sp1, {6, 0, 9999, 9, 0}));
  EXPECT_FALSE(meets_minimum_system(win7_sp1, {6, 1, 7601, 2, 0}));
  EXPECT_FALSE(meets_minimum_system(win7_sp1, {10, 0, 0, 0, 0}));
}

TEST(SettingsSystem, TheRunningServicePackCounts) {
  kv::OsVersion os;
  os.major = 6;
  os.minor = 1;
  os.build = 7601;
  os.service_pack = "Service Pack 1";
  os.service_pack_major = 1;
  EXPECT_EQ(running_system_version(os), (SystemVersion{6, 1, 7601, 1, 0}));
  EXPECT_TRUE(meets_minimum_system(running_system_version(os), {6, 1, 7601, 1, 0}));
  os.service_pack_major = 0;
  EXPECT_FALSE(meets_minimum_system(running_system_version(os), {6, 1, 7601, 1, 0}));
}

TEST(RunTexts, PlaceholdersNameTheProductItsDescriptionAndTheSystem) {
  Settings s;
  s.DisplayName = u"Hello";
  Placeholders p = run_placeholders(s, u"", u"Windows 7");
  EXPECT_EQ(p.product, u"Hello");
  EXPECT_EQ(p.description, u"Hello");
  EXPECT_EQ(p.os, u"Windows 7");
  EXPECT_EQ(expand_placeholders(u"<Product> on <OS>: <description>", p), u"Hello on Windows 7: Hello");
  s.product_description = u"the greeting tool";
  p = run_placeholders(s, u"Renamed", u"Windows 10");
  EXPECT_EQ(expand_placeholders(u"<product>, <description>, <os>", p), u"Renamed, the greeting tool, Windows 10");
}

}  // namespace
