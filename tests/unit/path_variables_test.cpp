// Path variables over a fake machine: the table walk, the fallback chains
// and the program-files views, and the notification address.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "path_variables.h"
#include "path_variables_notification.h"
#include "path_variables_resolve.h"

namespace {

using engine::KnownFolder;
using engine::PathVar;

// What each system source returns; anything not set returns nothing.
struct FakeFacts final : engine::PathSystemFacts {
  std::map<int, std::u16string> special;
  std::map<KnownFolder, std::u16string> known;
  std::map<std::pair<bool, std::u16string>, std::u16string> shell;
  std::map<std::u16string, std::u16string> current_version;
  std::map<std::u16string, std::u16string> environment;
  std::u16string boot, web, windows = u"C:\\Windows", system = u"C:\\Windows\\system32";
  std::u16string temp = u"C:\\Users\\me\\Temp\\", installer = u"E:\\Setups\\tool-setup.exe";
  std::set<std::u16string> folders = {u"C:\\Users\\me\\Temp\\"};
  std::vector<std::u16string> created;
  int temp_queries = 0;
  kv::OsVersion version;
  bool environment_fails = false;

  FakeFacts() {
    version.major = 6;
    version.minor = 1;
    version.build = 7601;
    version.windows_64bit = true;
  }

  static std::u16string find(const auto& map, const auto& key) {
    auto it = map.find(key);
    return it == map.end() ? std::u16string() : it->second;
  }
  std::u16string special_folder(int csidl) override { return find(special, csidl); }
  std::u16string known_folder(KnownFolder f) override { return find(known, f); }
  std::u16string shell_folder_value(bool all, std::u16string_view name) override {
    return find(shell, std::pair(all, std::u16string(name)));
  }
  std::u16string current_version_value(std::u16string_view name) override {
    return find(current_version, std::u16string(name));
  }
  std::u16string boot_dir() override { return boot; }
  std::u16string web_root() override { return web; }
  std::u16string environment_variable(std::u16string_view name) override {
    return find(environment, std::u16string(name));
  }
  std::u16string windows_dir() override { return windows; }
  std::u16string system_dir() override { return system; }
  std::u16string temp_path() override {
    ++temp_queries;
    return temp;
  }
  bool folder_exists(const std::u16string& path) override { return folders.count(path) > 0; }
  void create_folder(const std::u16string& path) override { created.push_back(path); }
  std::u16string installer_path() override { return installer; }
  const kv::OsVersion& os() override { return version; }
  // Stands in for the system's step: knows %USERPROFILE% and %SystemRoot% only.
  std::optional<std::u16string> expand_environment(const std::u16string& text) override {
    if (environment_fails) return std::nullopt;
    std::u16string out = text;
    for (auto [name, value] : {std::pair<std::u16string, std::u16string>{u"%USERPROFILE%", u"C:\\Users\\me"},
                               {u"%SystemRoot%", u"C:\\Windows"}}) {
      for (std::size_t at; (at = out.find(name)) != std::u16string::npos;) out.replace(at, name.size(), value);
    }
    return out;
  }
};

struct PathVariables : testing::Test {
  FakeFacts facts;
  engine::PathRunValues run;
  engine::PathValueCache cache;

  PathVariables() {
    run.install_dir = u"D:\\Apps\\Tool";
    run.old_version = u"3.10.2";
    run.product_name = u"Tool";
  }
  std::u16string expand(std::u16string text) {
    engine::PathValues values(facts, run, cache);
    engine::expand_path_variables(text, values);
    return text;
  }
  std::u16string value(PathVar var) { return engine::PathValues(facts, run, cache).value(var); }
};

TEST_F(PathVariables, OrderCaseAndEnvironmentRules) {
  struct Row {
    const char* what;
    std::u16string text, expected;
    std::u16string install_dir = u"D:\\Apps\\Tool", old_version = u"3.10.2";
    std::u16string installer = u"E:\\Setups\\tool-setup.exe";
  };
  const Row rows[] = {
      {"every occurrence", u"%InstallDir%\\a;%InstallDir%\\b", u"D:\\Apps\\Tool\\a;D:\\Apps\\Tool\\b"},
      {"any case", u"%INSTALLDIR%\\x|%windir%", u"D:\\Apps\\Tool\\x|C:\\Windows"},
      {"exact-case names", u"%OldVersionMajor%-%OldVersionMinor%-%oldversionmajor%",
       u"3-10-%oldversionmajor%"},
      {"version without a dot", u"[%OldVersionMajor%][%OldVersionMinor%]", u"[7][]", {}, u"7"},
      {"no old version", u"[%OldVersion%][%OldVersionMajor%]", u"[][]", {}, u""},
      {"unknown name kept", u"%NoSuchThing%\\%InstallDir", u"%NoSuchThing%\\%InstallDir"},
      {"environment last", u"%USERPROFILE%\\%ProductName%", u"C:\\Users\\me\\Tool"},
      {"later rows see a value", u"%InstallDir%", u"C:\\Windows\\App", u"%WinDir%\\App"},
      {"a value is not searched for its own name", u"%InstallDir%", u"x%InstallDir%y", u"x%InstallDir%y"},
      {"earlier rows do not see a value", u"%InstallDir%", u"%AppDataDir%", u"%AppDataDir%"},
      {"environment sees values", u"%InstallDir%", u"C:\\Users\\me\\App", u"%USERPROFILE%\\App"},
      {"drive letter", u"%InstallDrive%|%InstallerDrive%", u"D:|E:", u"d:\\Apps"},
      {"network folder has no drive", u"[%InstallDrive%]", u"[]", u"\\\\server\\share\\Tool"},
      {"installer folder", u"%InstallerDir%|%InstallerFilename%", u"E:\\Setups|tool-setup.exe"},
      {"installer in a drive root", u"%InstallerDir%|%InstallerFilepath%", u"F:\\|F:\\setup.exe", {}, {},
       u"F:\\setup.exe"},
      {"no percent sign", u"C:\\plain", u"C:\\plain"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    if (!r.install_dir.empty()) run.install_dir = r.install_dir;
    run.old_version = r.old_version;
    facts.installer = r.installer;
    EXPECT_EQ(expand(r.text), r.expected);
    run.install_dir = u"D:\\Apps\\Tool";
  }
}

TEST_F(PathVariables, FailedEnvironmentStepKeepsTheTableResult) {
  facts.environment_fails = true;
  EXPECT_EQ(expand(u"%USERPROFILE%\\%ProductName%"), u"%USERPROFILE%\\Tool");
}

TEST_F(PathVariables, ProgramFilesViewsFollowBitnessAndSystem) {
  struct Row {
    bool windows_64bit;
    int bitness;
    const char16_t *programs, *programs32, *programs64, *common;
  };
  const Row rows[] = {
      {false, 0, u"C:\\Program Files", u"C:\\Program Files", u"C:\\Program Files",
       u"C:\\Program Files\\Common Files"},
      {false, 1, u"C:\\Program Files", u"C:\\Program Files", u"C:\\Program Files",
       u"C:\\Program Files\\Common Files"},
      {true, 0, u"C:\\Program Files (x86)", u"C:\\Program Files (x86)", u"C:\\Program Files",
       u"C:\\Program Files (x86)\\Common Files"},
      {true, 2, u"C:\\Program Files (x86)", u"C:\\Program Files (x86)", u"C:\\Program Files",
       u"C:\\Program Files (x86)\\Common Files"},
      {true, 1, u"C:\\Program Files", u"C:\\Program Files (x86)", u"C:\\Program Files",
       u"C:\\Program Files\\Common Files"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "64-bit " << r.windows_64bit << " Bitness " << r.bitness);
    facts.version.windows_64bit = r.windows_64bit;
    // What a 32-bit process sees: its default is the "(x86)" folder.
    facts.special[38] = r.windows_64bit ? u"C:\\Program Files (x86)" : u"C:\\Program Files";
    facts.special[43] = facts.special[38] + u"\\Common Files";
    facts.environment.clear();
    if (r.windows_64bit) facts.environment[u"ProgramW6432"] = u"C:\\Program Files";
    run.bitness = r.bitness;
    EXPECT_EQ(expand(u"%ProgramsDir%|%ProgramsDir32%|%ProgramsDir64%|%CommonDir%"),
              std::u16string(r.programs) + u"|" + r.programs32 + u"|" + r.programs64 + u"|" + r.common);
  }
}

TEST_F(PathVariables, FallbackChainsWhenTheShellKnowsNothing) {
  facts.version.windows_64bit = true;
  facts.shell[{false, u"Personal"}] = u"C:\\Users\\me\\Docs\\";  // trailing backslash goes
  facts.shell[{false, u"Favorites"}] = u"D:\\";                 // a drive root keeps it
  facts.shell[{true, u"Common Startup"}] = u"C:\\All\\Start Menu\\Programs\\Startup";
  facts.current_version[u"ProgramFilesDir"] = u"C:\\Program Files (x86)\\";
  facts.current_version[u"DevicePath"] = u"%SystemRoot%\\inf;C:\\Drivers";
  facts.environment[u"SystemRoot"] = u"C:\\WINDOWS";
  facts.boot = u"d:\\";
  facts.web = u"E:\\Web\\wwwroot\\";
  facts.system.clear();
  struct Row {
    PathVar var;
    const char16_t* expected;
  };
  const Row rows[] = {
      {PathVar::DocumentDir, u"C:\\Users\\me\\Docs"},
      {PathVar::DocumentAllDir, u"C:\\Users\\me\\Docs"},
      {PathVar::FavoritesAllDir, u"D:\\"},
      {PathVar::DesktopAllDir, u"C:\\Windows\\Desktop"},
      {PathVar::SMProgramsAllDir, u"C:\\All\\Start Menu\\Programs"},
      {PathVar::StartMenuAllDir, u"C:\\All\\Start Menu"},
      {PathVar::StartupDir, u"C:\\Windows\\Start Menu\\Programs\\StartUp"},
      {PathVar::StartupAllDir, u"C:\\All\\Start Menu\\Programs\\Startup"},
      {PathVar::ProgramsDir32, u"C:\\Program Files (x86)"},
      {PathVar::ProgramsDir64, u"C:\\Program Files"},  // " (x86)" removed
      {PathVar::CommonDir64, u"C:\\Program Files\\Common Files"},
      {PathVar::AppDataDir, u"C:\\Program Files (x86)\\Common Files"},
      {PathVar::DeviceDir, u"C:\\WINDOWS\\inf"},
      {PathVar::MediaDir, u"C:\\Windows\\Media"},
      {PathVar::SystemDir, u"C:\\Windows\\System32"},
      {PathVar::BootDrive, u"D:"},
      {PathVar::Inetpub, u"E:\\Web"},
      {PathVar::Bits, u"64"},
      {PathVar::OS, u"36"},
      {PathVar::OSName, u"7"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "variable " << int(r.var));
    EXPECT_EQ(value(r.var), r.expected);
  }

  FakeFacts bare;
  bare.windows.clear();
  engine::PathValues nothing(bare, run, cache);
  EXPECT_EQ(nothing.value(PathVar::DocumentAllDir), u"c:\\My Documents");
  EXPECT_EQ(nothing.value(PathVar::ProgramsDir), u"c:\\Program Files");
  EXPECT_EQ(nothing.value(PathVar::Inetpub), u"c:\\Inetpub");
  EXPECT_EQ(nothing.value(PathVar::BootDrive), u"C:");
}

TEST_F(PathVariables, StartMenuChosenFollowsTheShortcutMode) {
  facts.special[2] = u"C:\\Users\\me\\Programs";
  facts.special[23] = u"C:\\ProgramData\\Programs";
  run.start_menu_folder = u"Tool Group";
  EXPECT_EQ(value(PathVar::StartMenuChosen), u"C:\\Users\\me\\Programs\\Tool Group");
  run.shortcuts_for_all_users = true;
  EXPECT_EQ(value(PathVar::StartMenuChosen), u"C:\\ProgramData\\Programs\\Tool Group");
}

TEST_F(PathVariables, TempIsWorkedOutOnceAndFallsBack) {
  EXPECT_EQ(expand(u"%Temp%\\a|%TEMP%\\b"), u"C:\\Users\\me\\Temp\\a|C:\\Users\\me\\Temp\\b");
  expand(u"%Temp%");
  EXPECT_EQ(facts.temp_queries, 1);

  engine::PathValueCache fresh;
  facts.folders = {u"C:\\Windows\\temp"};
  EXPECT_EQ(engine::PathValues(facts, run, fresh).value(PathVar::Temp), u"C:\\Windows\\temp");
  engine::PathValueCache last;
  facts.folders.clear();
  EXPECT_EQ(engine::PathValues(facts, run, last).value(PathVar::Temp), u"c:\\temp");
  EXPECT_EQ(facts.created, std::vector<std::u16string>{u"c:\\temp"});
}

TEST(NotificationAddress, FiveNamesAnyCasePercentEncoded) {
  kv::OsVersion os;
  os.major = 6;
  os.minor = 1;
  EXPECT_EQ(engine::expand_notification_address(
                "http://x/n?v=%VERSION%&os=%os%&n=%OSName%&v2=%Version%&m=%OSMajor%.%osminor%&k=%InstallDir%",
                u"1.0 beta/\u00e9", os),
            "http://x/n?v=1.0%20beta%2F%C3%A9&os=36&n=7&v2=1.0%20beta%2F%C3%A9&m=6.1&k=%InstallDir%");
  os.platform = kv::kPlatform9x;
  os.major = 5;
  os.minor = 0;
  EXPECT_EQ(engine::expand_notification_address("%OSName%|%OS%", u"", os), "9x%205.0|0");
  // An encoded value cannot smuggle in a name of a later row.
  EXPECT_EQ(engine::expand_notification_address("%version%", u"%OS%", os), "%25OS%25");
}

}  // namespace
