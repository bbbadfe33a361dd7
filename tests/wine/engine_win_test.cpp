// Path variables and the installation log on the test prefix: a 64-bit
// Windows in which the runtime is a 32-bit process.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "engine_run.h"
#include "exit_routine.h"
#include "folders_win.h"
#include "install_log_file.h"
#include "install_log_win.h"
#include "os_version.h"
#include "path_variables_win.h"
#include "run_state.h"
#include "text.h"
#include "win_handles.h"
#include "test_files_win.h"

namespace {

std::u16string expanded(std::u16string text) {
  engine::expand_path_variables(text);
  return text;
}

std::u16string environment(const wchar_t* name) {
  wchar_t value[32768];
  DWORD n = GetEnvironmentVariableW(name, value, 32768);
  return n ? kv::from_wide(value, n) : std::u16string();
}

int run_log_files(const std::u16string& folder) {
  WIN32_FIND_DATAW data;
  kv::UniqueFind find(FindFirstFileW(kv::as_wide(folder + u"\\tsl*.tmp"), &data));
  int count = 0;
  if (find)
    do ++count;
    while (FindNextFileW(find.get(), &data));
  return count;
}

TEST(PathVariablesWin, ProgramFilesViewsAreThePrefixFolders) {
  ASSERT_TRUE(kv::os_version().windows_64bit);
  engine::run.paths.bitness = 0;
  EXPECT_EQ(expanded(u"%ProgramsDir%|%ProgramsDir32%|%ProgramsDir64%|%CommonDir%|%CommonDir64%"),
            u"C:\\Program Files (x86)|C:\\Program Files (x86)|C:\\Program Files|"
            u"C:\\Program Files (x86)\\Common Files|C:\\Program Files\\Common Files");
  engine::run.paths.bitness = 1;
  EXPECT_EQ(expanded(u"%ProgramsDir%|%CommonDir%"), u"C:\\Program Files|C:\\Program Files\\Common Files");
  engine::run.paths.bitness = 0;
  EXPECT_EQ(expanded(u"%Bits%"), u"64");
}

TEST(PathVariablesWin, SpecialFoldersAndTheEnvironment) {
  const std::u16string profile = environment(L"USERPROFILE");
  ASSERT_FALSE(profile.empty());
  EXPECT_EQ(expanded(u"%AppDataDir%"), environment(L"APPDATA"));
  EXPECT_EQ(expanded(u"%AppDataAllDir%"), environment(L"ProgramData"));
  EXPECT_EQ(expanded(u"%DesktopDir%"), profile + u"\\Desktop");
  EXPECT_TRUE(kv::iequals(expanded(u"%WINDIR%|%SystemDir%"), u"C:\\windows|C:\\windows\\system32"));
  for (const char16_t* name : {u"%DocumentDir%", u"%FontDir%", u"%SMProgramsDir%", u"%SMProgramsAllDir%",
                               u"%StartMenuAllDir%", u"%StartupDir%", u"%DesktopAllDir%"}) {
    std::u16string folder = expanded(name);
    SCOPED_TRACE(kv::utf16_to_utf8(name) + " = " + kv::utf16_to_utf8(folder));
    EXPECT_TRUE(folder.size() > 3 && folder[1] == u':' && folder.back() != u'\\');
  }

  std::u16string temp = expanded(u"%Temp%");
  EXPECT_TRUE(kv::folder_exists(temp));
  EXPECT_NE(temp.back(), u'\\');

  // The table first (its names in any case), then the environment; a name
  // that neither knows stays.
  engine::run.paths.install_dir = u"%USERPROFILE%\\Tool";
  EXPECT_EQ(expanded(u"%installdir%|%NoSuchVariableHere%"), profile + u"\\Tool|%NoSuchVariableHere%");
  engine::run.paths.install_dir.clear();
}

// A result longer than the first buffer is expanded in a second one; one
// beyond 32,000 characters is left as the table made it.
TEST(PathVariablesWin, LongEnvironmentExpansions) {
  const std::wstring value(3000, L'a');
  ASSERT_TRUE(SetEnvironmentVariableW(L"TESS_LONG", value.c_str()));
  const std::u16string wide_value(value.begin(), value.end());
  EXPECT_EQ(expanded(u"%TESS_LONG%|%TESS_LONG%"), wide_value + u"|" + wide_value);
  std::u16string eleven;
  for (int i = 0; i < 11; ++i) eleven += u"%TESS_LONG%";
  EXPECT_EQ(expanded(eleven), eleven);
  SetEnvironmentVariableW(L"TESS_LONG", nullptr);
}

TEST(PathVariablesWin, SystemVersionVariables) {
  const kv::OsVersion& os = kv::os_version();
  EXPECT_GE(os.major, 6u);
  EXPECT_EQ(expanded(u"%OSMajor%.%OSMinor%"), kv::to_u16(os.major) + u"." + kv::to_u16(os.minor));
  EXPECT_NE(expanded(u"%OS%"), u"0");
  EXPECT_TRUE(kv::os_long_name(os).starts_with("Windows "));
  EXPECT_TRUE(kv::os_long_name(os).ends_with(" x64"));
}


std::u16string g_asked;
bool decline_show_log(const std::u16string& text, const std::u16string& caption) {
  g_asked = text + u"|" + caption;
  return false;
}

TEST(InstallLogWin, RunLogFinishedIntoInstallLog) {
  const std::u16string temp = engine::path_variable(engine::PathVar::Temp);
  const std::u16string folder = temp + u"\\tess-install-log-" + kv::to_u16(GetCurrentProcessId());
  CreateDirectoryW(kv::as_wide(folder), nullptr);
  const std::u16string log_path = folder + u"\\Install.log";
  DeleteFileW(kv::as_wide(log_path));

  engine::PathRunValues& run = engine::run.paths;
  run.uninstall_dir = folder;
  run.install_dir = u"C:\\Program Files\\Demo";
  run.product_name = u"Demo \u4E2D";
  run.product_version = u"1.2";
  engine::LogRunSettings& settings = engine::run.log.settings;
  settings.product_flags_low = setup::flags_low::kKeepInstallLog | setup::flags_low::kRegisterUninstaller;
  std::vector<std::u16string> texts(50);
  texts[40] = u"Errors occurred. See %s?";
  texts[41] = u"Setup";
  texts[43] = u"All done.";
  setup::run.strings.assign({u"English"}, 50, texts);
  engine::run.hooks.ask_show_log = decline_show_log;

  const int before = run_log_files(temp);
  ASSERT_TRUE(engine::open_run_log());
  EXPECT_EQ(setup::run.exit_hooks.discard_log_temporary, &engine::discard_run_log);
  EXPECT_EQ(run_log_files(temp), before + 1);
  engine::log_text("Copying file...");
  engine::log_wide(u"C:\\\u4E2D OK\r\n");

  engine::finish_log("", false, false);
  EXPECT_EQ(engine::install_log_path(), log_path);
  std::string first = read_file(log_path);
  const std::string head = "\xEF\xBB\xBFInstallation log for: Demo \xE4\xB8\xAD\r\nInstall date: ";
  ASSERT_TRUE(first.starts_with(head)) << first;
  std::string date = first.substr(head.size(), 19);
  EXPECT_TRUE(date[4] == '/' && date[7] == '/' && date[10] == ' ' && date[13] == ':' && date[16] == ':') << date;
  EXPECT_EQ(first.substr(head.size() + 19),
            "\r\nInstall type: New\r\n"
            "Install location: C:\\Program Files\\Demo\r\n"
            "Installer version: 37.0.4\r\n"
            "Product version: 1.2\r\n"
            "Operating system: " + kv::os_long_name(kv::os_version()) + "\r\n"
            "Copying file...C:\\\xE4\xB8\xAD OK\r\n"
            "\r\n"
            "All done.\r\n");

  // The second run of the same product: separator, its own header, the
  // failures, and the offer to show the log.
  engine::finish_log("Could not copy a.dll\r\n\r\n", true, true);
  std::string second = read_file(log_path);
  ASSERT_TRUE(second.starts_with(first));
  std::string added = second.substr(first.size());
  EXPECT_TRUE(added.starts_with(engine::kLogSeparator));
  EXPECT_NE(added.find("Install type: Reinstall\r\n"), std::string::npos);
  EXPECT_TRUE(added.ends_with("\r\n*** FAILURE SUMMARY ***\r\nCould not copy a.dll\r\n\r\n")) << added;
  EXPECT_EQ(g_asked, u"Errors occurred. See " + log_path + u"?|Setup");

  engine::discard_run_log();
  engine::run.hooks = {};
  EXPECT_EQ(engine::run.log.run_log, nullptr);
  EXPECT_EQ(run_log_files(temp), before);

  DeleteFileW(kv::as_wide(log_path));
  RemoveDirectoryW(kv::as_wide(folder));
}

}  // namespace
