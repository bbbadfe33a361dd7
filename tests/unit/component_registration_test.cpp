// Component registration's decisions: the command lines, what an installer
// package is installed and recorded with, the applet's keys, and the log
// texts of each outcome.
#include <gtest/gtest.h>

#include <string>

#include "archive.h"
#include "component_registration_rules.h"
#include "registry_path.h"
#include "text.h"
#include "uninstall_data.h"

namespace {

using namespace engine;

std::string utf8(const std::u16string& text) { return kv::utf16_to_utf8(text); }

TEST(ComponentRegistration, Regsvr32IsRunFromTheSystemFolderWithTheServerQuoted) {
  struct Case {
    const char16_t* folder;
    const char16_t* server;
    bool unregister;
    const char* command;
  };
  const Case cases[] = {
      {u"C:\\Windows\\SysWOW64", u"C:\\Program Files\\App\\server.dll", false,
       R"("C:\Windows\SysWOW64\regsvr32.exe" /s "C:\Program Files\App\server.dll")"},
      {u"C:\\Windows\\System32\\", u"C:\\App\\s.dll", false, R"("C:\Windows\System32\regsvr32.exe" /s "C:\App\s.dll")"},
      {u"C:\\Windows\\System32", u"C:\\App\\s.dll", true, R"("C:\Windows\System32\regsvr32.exe" /s /u "C:\App\s.dll")"},
  };
  for (const Case& c : cases) EXPECT_EQ(utf8(regsvr32_command(c.folder, c.server, c.unregister)), c.command);
}

TEST(ComponentRegistration, ComResultsAreLoggedWithTheExitCodeAsASignedNumber) {
  EXPECT_EQ(utf8(com_result_text(0)), "OK\r\n");
  EXPECT_EQ(utf8(com_result_text(4)), "FAILED, code 4\r\n");
  // regsvr32 ended by an access violation.
  EXPECT_EQ(utf8(com_result_text(0xC0000005)), "FAILED, code -1073741819\r\n");
}

TEST(ComponentRegistration, DriverOutcomes) {
  EXPECT_EQ(utf8(driver_success_text(u"C:\\Windows\\INF\\oem3.inf")),
            "OK\r\nFinal driver location: C:\\Windows\\INF\\oem3.inf\r\n");
  EXPECT_EQ(utf8(driver_success_text(u"")), "OK, but resulting filepath is unknown\r\n");

  struct Case {
    std::uint32_t code;
    const char16_t* system_text;
    const char* logged;
  };
  const Case failures[] = {
      {kNoCatalogForOemInf, u"",
       "FAILED!  Code 0xE000022F: The INF does not contain digital signature information.\r\n"},
      // The system's own words win when it has them.
      {kNoCatalogForOemInf, u"No catalog.", "FAILED!  Code 0xE000022F: No catalog.\r\n"},
      {2, u"The system cannot find the file specified.",
       "FAILED!  Code 0x00000002: The system cannot find the file specified.\r\n"},
      {0xE0000100, u"", "FAILED!  Code 0xE0000100: \r\n"},
  };
  for (const Case& c : failures) EXPECT_EQ(utf8(driver_failure_text(c.code, c.system_text)), c.logged) << c.code;
}

TEST(ComponentRegistration, APackageShowsNothingInASilentRunAndIsRecordedWithTheLevelUsed) {
  struct Case {
    std::int32_t entry_level;
    std::uint32_t flags;
    bool silent;
    std::int32_t level;
    const char* msi_section;
  };
  const std::uint32_t remove = setup::entry_flags::kRemovePackage;
  const Case cases[] = {
      {5, remove, false, 5, "\"C:\\P\\p.msi\",5\r\n"},
      {5, remove, true, 2, "\"C:\\P\\p.msi\",2\r\n"},
      {0, remove | setup::entry_flags::kNeverUninstall, true, 2, "\"C:\\P\\p.msi\",2\r\n"},
      {3, 0, false, 3, ""},
  };
  for (const Case& c : cases) {
    PackagePlan plan = package_plan(c.entry_level, c.flags, c.silent);
    EXPECT_EQ(plan.ui_level, c.level);
    uninstall::UninstallData data;
    if (plan.record_for_uninstall) uninstall::add_msi_package(data, u"C:\\P\\p.msi", plan.ui_level);
    EXPECT_EQ(data.msi, c.msi_section);
  }
}

TEST(ComponentRegistration, PackageResults) {
  struct Case {
    std::uint32_t result;
    bool installed;
    bool restart;
    const char* message;
  };
  const Case cases[] = {
      {0, true, false, "Installing MSI package \"C:\\P\\p.msi\"...OK\r\n"},
      // Installed; the restart that REBOOT=R held back is still needed.
      {3010, true, true, "Installing MSI package \"C:\\P\\p.msi\"...OK\r\n"},
      {1641, true, true, "Installing MSI package \"C:\\P\\p.msi\"...OK\r\n"},
      {1603, false, false, "Installing MSI package \"C:\\P\\p.msi\"...FAILED code 1603: why\r\n"},
      {120, false, false, "Installing MSI package \"C:\\P\\p.msi\"...FAILED code 120: why\r\n"},
      // A crash: E_UNEXPECTED, in decimal.
      {0x8000FFFF, false, false, "Installing MSI package \"C:\\P\\p.msi\"...FAILED code 2147549183: why\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(package_installed(c.result), c.installed) << c.result;
    EXPECT_EQ(package_needs_restart(c.result), c.restart) << c.result;
    EXPECT_EQ(utf8(package_message(u"C:\\P\\p.msi", c.result, u"why")), c.message);
  }
}

TEST(ComponentRegistration, AnAppletWithoutALabelIsNamedAfterItsFile) {
  EXPECT_EQ(utf8(applet_name(u"Clock", u"C:\\Apps\\time.cpl")), "Clock");
  EXPECT_EQ(utf8(applet_name(u"", u"C:\\Apps\\time.cpl")), "time.cpl");
  EXPECT_EQ(utf8(applet_step_item(u"Clock")), "Control Panel extension \"Clock\"");
}

TEST(ComponentRegistration, AClassIdMustNameAKeyOfItsOwn) {
  struct Case {
    const char16_t* class_id;
    bool usable;
  };
  const Case cases[] = {
      {u"{0A1B2C3D-0000-4000-8000-00000000000A}", true},
      {u"0A1B2C3D-0000-4000-8000-00000000000A", true},  // as the author wrote it
      {u"", false},
      // Would record CLSID itself, or a key below another class, for removal.
      {u"\\", false},
      {u"{0A1B}\\InprocServer32", false},
  };
  for (const Case& c : cases) EXPECT_EQ(usable_class_id(c.class_id), c.usable) << utf8(c.class_id);
}

TEST(ComponentRegistration, AppletKeysAreRecordedInAFormTheUninstallerReads) {
  AppletKeys keys = applet_keys(u"{0A1B}", u"C:\\Apps\\time.cpl", u"");
  EXPECT_EQ(utf8(keys.class_key), "\\HKLM\\Software\\Classes\\CLSID\\{0A1B}");
  EXPECT_EQ(utf8(keys.icon_key), "\\HKLM\\Software\\Classes\\CLSID\\{0A1B}\\DefaultIcon");
  EXPECT_EQ(utf8(keys.command_key), "\\HKLM\\Software\\Classes\\CLSID\\{0A1B}\\Shell\\Open\\Command");
  EXPECT_EQ(utf8(keys.namespace_key),
            "\\HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ControlPanel\\NameSpace\\{0A1B}");
  EXPECT_EQ(utf8(keys.command), "\"C:\\Apps\\time.cpl\"");
  EXPECT_EQ(utf8(applet_keys(u"{0A1B}", u"C:\\Apps\\time.cpl", u"/page 2").command), "\"C:\\Apps\\time.cpl\" /page 2");

  for (const std::u16string& recorded : {keys.class_key, keys.namespace_key}) {
    std::optional<kv::RegistryKeyPath> parsed = kv::parse_registry_key_path(recorded);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->root, kv::RegistryRoot::local_machine);
    EXPECT_EQ(parsed->key, recorded.substr(6));
  }
  uninstall::UninstallData data;
  uninstall::add_to_removal_list_w(data, keys.class_key, uninstall::RemovalKind::registry_key_64);
  EXPECT_EQ(data.removal_list, "*\\HKLM\\Software\\Classes\\CLSID\\{0A1B}\r\n");
}

TEST(ComponentRegistration, FailuresEndTheirLinesWithTheSystemsText) {
  EXPECT_EQ(utf8(type_library_result_text(true, u"unused")), "OK\r\n");
  EXPECT_EQ(utf8(type_library_result_text(false, u"Error loading type library/DLL.")),
            "FAILED\r\nError loading type library/DLL.\r\n");
  EXPECT_EQ(utf8(applet_result_text(true, u"unused")), "OK\r\n");
  EXPECT_EQ(utf8(applet_result_text(false, u"Access is denied.")), "FAILED!\r\nAccess is denied.\r\n\r\n");
}

}  // namespace
