// Component registration on a real system, with the fixture servers, type
// library and applet: what each registration leaves in the registry and the
// log, the fallback to a server's own entry, a crash that abandons only its
// own item, and the uninstaller's removal of what was registered. What the
// tests register is removed again.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive.h"
#include "child_process.h"
#include "component_registration.h"
#include "engine_run.h"
#include "install_log.h"
#include "registry.h"
#include "run_state.h"
#include "text.h"
#include "uninstall_data.h"
#include "uninstaller_win.h"
#include "win_handles.h"

namespace {

const std::u16string kServerClass = u"CLSID\\{3E9B7C41-2D5A-4F16-8B0E-6C1D2A4F5E71}";
const GUID kTypeLibraryId = {0x3E9B7C41, 0x2D5A, 0x4F16, {0x8B, 0x0E, 0x6C, 0x1D, 0x2A, 0x4F, 0x5E, 0x72}};
const std::u16string kTypeLibraryKey = u"TypeLib\\{3E9B7C41-2D5A-4F16-8B0E-6C1D2A4F5E72}\\1.0\\0\\win32";
const std::u16string kAppletClass = u"{3E9B7C41-2D5A-4F16-8B0E-6C1D2A4F5E77}";
const std::u16string kAppletClassKey = u"Software\\Classes\\CLSID\\" + kAppletClass;
const std::u16string kAppletNamespaceKey =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ControlPanel\\NameSpace\\" + kAppletClass;

struct CapturedLog : engine::RunLogSink {
  std::string text;
  void append(std::string_view utf8) override { text += utf8; }
};

std::string utf8(const std::u16string& text) { return kv::utf16_to_utf8(text); }

// A fixture the build made, by its Windows name.
std::u16string fixture(const char16_t* name) {
  std::string folder = TESS_COMPONENT_FIXTURES;
  for (char& c : folder)
    if (c == '/') c = '\\';
  return u"Z:" + kv::utf8_to_utf16(folder) + u"\\" + name;
}

std::optional<std::u16string> default_value(HKEY root, const std::u16string& key, kv::RegView view) {
  kv::UniqueRegKey open = kv::reg_open(root, key, KEY_READ, view);
  return open ? kv::reg_read_string(open.get(), u"") : std::nullopt;
}

class ComponentRegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::u16string> texts(80);
    texts[77] = u"Registering <file>";
    setup::run.strings.assign({u"English"}, 80, texts);
    steps_.clear();
    setup::run.status_hooks.show_text = [](const std::u16string& text) { steps_.push_back(utf8(text)); };
    log_.text.clear();
    engine::run.log.run_log = &log_;
    engine::run.log.error_report.clear();
    uninstall::uninstall_data = {};
  }
  void TearDown() override {
    setup::run.status_hooks = {};
    engine::run.log.run_log = nullptr;
  }

  static inline std::vector<std::string> steps_;
  CapturedLog log_;
};

TEST_F(ComponentRegistrationTest, ComServersRegisterAndACrashAbandonsOnlyItsOwnServer) {
  const std::u16string faulting = fixture(u"com_faults.dll"), refusing = fixture(u"com_refuses.dll"),
                       without_entry = fixture(u"com_none.dll"), server = fixture(u"com_registers.dll");
  // What regsvr32 itself answers for a server without DllRegisterServer.
  kv::LaunchOptions hidden;
  hidden.hidden = true;
  kv::ChildProcess probe = kv::ChildProcess::start(u"regsvr32.exe /s \"" + without_entry + u"\"", hidden);
  ASSERT_TRUE(probe && probe.wait());
  const DWORD regsvr32_code = probe.exit_code().value_or(0);
  ASSERT_NE(regsvr32_code, 0u);

  engine::FileLoopLists lists;
  for (const std::u16string& path : {faulting, refusing, without_entry, server}) lists.com_servers.push_back(kv::to_marked(path));
  engine::register_collected_components(lists);

  EXPECT_EQ(log_.text, "Registering COM File \"" + utf8(faulting) + "\"...CRASHED!\r\n" +
                           "Registering COM File \"" + utf8(refusing) + "\"...OK\r\n" +
                           "Registering COM File \"" + utf8(without_entry) + "\"...FAILED, code " +
                           std::to_string(regsvr32_code) + "\r\n" +
                           "Registering COM File \"" + utf8(server) + "\"...OK\r\n");
  EXPECT_EQ(engine::run.log.error_report, "Crashed while registering COM file com_faults.dll\r\n");
  // The refusing server's entry ran in this process after regsvr32 failed.
  wchar_t refused[4] = {};
  EXPECT_EQ(GetEnvironmentVariableW(L"TESS_FIXTURE_REFUSED", refused, 4), 1u);
  EXPECT_EQ(steps_, (std::vector<std::string>{"Registering " + utf8(faulting), "Registering " + utf8(refusing),
                                              "Registering " + utf8(without_entry), "Registering " + utf8(server)}));

  EXPECT_EQ(default_value(HKEY_CLASSES_ROOT, kServerClass + u"\\InprocServer32", kv::RegView::native32), server);
  // The uninstaller's way back.
  EXPECT_EQ(engine::run_regsvr32(server, /*unregister=*/true), 0u);
  EXPECT_FALSE(kv::reg_open(HKEY_CLASSES_ROOT, kServerClass, KEY_READ, kv::RegView::native32));
}

TEST_F(ComponentRegistrationTest, TypeLibrariesRegisterAndAFileThatIsNoneFails) {
  const std::u16string library = fixture(u"type_library.tlb"), not_a_library = fixture(u"driver.inf");
  engine::FileLoopLists lists;
  lists.type_libraries = {kv::to_marked(library), kv::to_marked(not_a_library)};
  engine::register_collected_components(lists);

  const std::string registered = "Registering Type Library \"" + utf8(library) + "\"...OK\r\n";
  const std::string failed = "Registering Type Library \"" + utf8(not_a_library) + "\"...FAILED\r\n";
  ASSERT_TRUE(log_.text.starts_with(registered + failed)) << log_.text;
  // The system's words for the failure, then the line end.
  EXPECT_GT(log_.text.size(), registered.size() + failed.size() + 2);
  EXPECT_TRUE(log_.text.ends_with("\r\n"));
  EXPECT_EQ(engine::run.log.error_report, "");
  EXPECT_EQ(default_value(HKEY_CLASSES_ROOT, kTypeLibraryKey, kv::RegView::native32), library);

  EXPECT_EQ(UnRegisterTypeLib(kTypeLibraryId, 1, 0, 0, SYS_WIN32), S_OK);
}

TEST_F(ComponentRegistrationTest, AppletsAreRegisteredInThe64BitViewAndRemovedByTheUninstaller) {
  const std::u16string applet = fixture(u"applet.cpl");
  struct Case {
    const char* label;
    const char* arguments;
    std::u16string name;
    std::u16string command;
  };
  const Case cases[] = {
      {"", "", u"applet.cpl", u"\"" + applet + u"\""},
      {"Uhr \xC3\xA9", "/page \xE9", u"Uhr \u00e9", u"\"" + applet + u"\" /page \u00e9"},
  };
  for (const Case& c : cases) {
    SetUp();
    setup::FileEntry entry;
    entry.kind = setup::file_kind::kApplet;
    entry.label = c.label;
    entry.parameter_text = c.arguments;
    entry.extra_2 = kv::to_marked(kAppletClass);
    engine::register_control_panel_applet(entry, applet);

    EXPECT_EQ(log_.text, "Registering control panel applet \"" + utf8(c.name) + "\"...OK\r\n");
    EXPECT_EQ(steps_, std::vector<std::string>{"Registering Control Panel extension \"" + utf8(c.name) + "\""});
    const kv::RegView wide = kv::RegView::wow64_64;
    EXPECT_EQ(default_value(HKEY_LOCAL_MACHINE, kAppletClassKey, wide), c.name);
    EXPECT_EQ(default_value(HKEY_LOCAL_MACHINE, kAppletClassKey + u"\\DefaultIcon", wide), applet);
    EXPECT_EQ(default_value(HKEY_LOCAL_MACHINE, kAppletClassKey + u"\\Shell\\Open\\Command", wide), c.command);
    EXPECT_EQ(default_value(HKEY_LOCAL_MACHINE, kAppletNamespaceKey, wide), c.name);
    // Nothing in the 32-bit program's own view.
    EXPECT_FALSE(kv::reg_open(HKEY_LOCAL_MACHINE, kAppletClassKey, KEY_READ, kv::RegView::native32));
    EXPECT_EQ(uninstall::uninstall_data.removal_list,
              "*\\HKLM\\Software\\Classes\\CLSID\\" + utf8(kAppletClass) + "\r\n" +
                  "*\\HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ControlPanel\\NameSpace\\" +
                  utf8(kAppletClass) + "\r\n");

    // The uninstaller reads the records back and removes the keys.
    uninstall::uninstall_data = uninstall::parse_uninstall_image(uninstall::build_uninstall_image(uninstall::uninstall_data));
    uninstall::detail::walk_removal_list();
    EXPECT_FALSE(kv::reg_open(HKEY_LOCAL_MACHINE, kAppletClassKey, KEY_READ, wide));
    EXPECT_FALSE(kv::reg_open(HKEY_LOCAL_MACHINE, kAppletNamespaceKey, KEY_READ, wide));
  }
}

}  // namespace
