#include "path_variables_resolve.h"

#include <algorithm>
#include <array>

#include "paths.h"
#include "text.h"

namespace engine {
namespace {

// CSIDL numbers of the special folders.
constexpr int kCsidlPrograms = 2, kCsidlPersonal = 5, kCsidlFavorites = 6, kCsidlStartup = 7,
              kCsidlStartMenu = 11, kCsidlDesktopDirectory = 16, kCsidlFonts = 20,
              kCsidlCommonStartMenu = 22, kCsidlCommonPrograms = 23, kCsidlCommonStartup = 24,
              kCsidlCommonDesktopDirectory = 25, kCsidlAppData = 26, kCsidlCommonFavorites = 31,
              kCsidlCommonAppData = 35, kCsidlProgramFiles = 38, kCsidlProgramFilesCommon = 43,
              kCsidlCommonDocuments = 46;

// The last resort of a special folder when neither the shell nor the
// shell-folders key knows it.
enum class Last {
  common_files,       // the common files folder, default view
  variable,           // another variable's value
  variable_joined,    // another variable's value joined with `text`
  windows_joined,     // the Windows folder joined with `text`
  fixed,              // `text`
};

struct SpecialFolder {
  PathVar var;
  int csidl;
  bool all_users;                 // shell-folders key of HKLM rather than HKCU
  std::u16string_view value_name;
  int common_startup_drop;        // > 0: try "Common Startup" less this many components
  Last last;
  PathVar other;
  std::u16string_view text;
};

constexpr std::array kSpecialFolders = {
    SpecialFolder{PathVar::AppDataAllDir, kCsidlCommonAppData, true, u"Common AppData", 0, Last::common_files, {},
                  {}},
    SpecialFolder{PathVar::AppDataDir, kCsidlAppData, false, u"AppData", 0, Last::common_files, {}, {}},
    SpecialFolder{PathVar::DesktopAllDir, kCsidlCommonDesktopDirectory, true, u"Common Desktop", 0, Last::variable,
                  PathVar::DesktopDir, {}},
    SpecialFolder{PathVar::DesktopDir, kCsidlDesktopDirectory, false, u"Desktop", 0, Last::windows_joined, {},
                  u"Desktop"},
    SpecialFolder{PathVar::DocumentAllDir, kCsidlCommonDocuments, true, u"Common Documents", 0, Last::variable,
                  PathVar::DocumentDir, {}},
    SpecialFolder{PathVar::DocumentDir, kCsidlPersonal, false, u"Personal", 0, Last::fixed, {},
                  u"c:\\My Documents"},
    SpecialFolder{PathVar::FavoritesAllDir, kCsidlCommonFavorites, true, u"Common Favorites", 0, Last::variable,
                  PathVar::FavoritesDir, {}},
    SpecialFolder{PathVar::FavoritesDir, kCsidlFavorites, false, u"Favorites", 0, Last::windows_joined, {},
                  u"Favorites"},
    SpecialFolder{PathVar::FontDir, kCsidlFonts, false, u"Fonts", 0, Last::windows_joined, {}, u"Fonts"},
    SpecialFolder{PathVar::SMProgramsAllDir, kCsidlCommonPrograms, true, u"Common Programs", 1, Last::variable,
                  PathVar::SMProgramsDir, {}},
    SpecialFolder{PathVar::SMProgramsDir, kCsidlPrograms, false, u"Programs", 0, Last::variable_joined,
                  PathVar::StartMenuDir, u"Programs"},
    SpecialFolder{PathVar::StartMenuAllDir, kCsidlCommonStartMenu, true, u"Common Start Menu", 2, Last::variable,
                  PathVar::StartMenuDir, {}},
    SpecialFolder{PathVar::StartMenuDir, kCsidlStartMenu, false, u"Start Menu", 0, Last::windows_joined, {},
                  u"Start Menu"},
    SpecialFolder{PathVar::StartupAllDir, kCsidlCommonStartup, true, u"Common Startup", 0, Last::variable,
                  PathVar::StartupDir, {}},
    SpecialFolder{PathVar::StartupDir, kCsidlStartup, false, u"Startup", 0, Last::variable_joined,
                  PathVar::SMProgramsDir, u"StartUp"},
};

const SpecialFolder* special_folder_row(PathVar var) {
  for (const SpecialFolder& row : kSpecialFolders)
    if (row.var == var) return &row;
  return nullptr;
}

std::u16string without_first_x86(std::u16string path) {
  constexpr std::u16string_view kX86 = u" (x86)";
  std::size_t at = path.find(kX86);
  if (at != std::u16string::npos) path.erase(at, kX86.size());
  return path;
}

}  // namespace

std::u16string trim_registry_folder(std::u16string value) {
  if (value.size() >= 4 && value.back() == u'\\') value.pop_back();
  return value;
}

std::u16string drive_of(std::u16string_view path, bool upper_case) {
  if (path.size() < 2 || path[1] != u':') return {};
  char16_t letter = path[0];
  const bool lower = letter >= u'a' && letter <= u'z';
  if (!lower && !(letter >= u'A' && letter <= u'Z')) return {};
  if (upper_case && lower) letter = char16_t(letter - 32);
  return {letter, u':'};
}

std::u16string drop_components(std::u16string_view path, int count) {
  for (int i = 0; i < count; ++i) {
    std::size_t slash = path.rfind(u'\\');
    if (slash == std::u16string_view::npos) return {};
    path = path.substr(0, slash);
  }
  return std::u16string(path);
}

std::u16string boot_drive(std::u16string_view boot_dir) {
  std::u16string drive = drive_of(boot_dir, true);
  return drive.empty() ? u"C:" : drive;
}

std::u16string version_major(std::u16string_view version) {
  return std::u16string(version.substr(0, version.find(u'.')));
}

std::u16string version_minor(std::u16string_view version) {
  std::size_t first = version.find(u'.');
  if (first == std::u16string_view::npos) return {};
  std::u16string_view rest = version.substr(first + 1);
  return std::u16string(rest.substr(0, rest.find(u'.')));
}

PathValues::View normalise_view(PathValues::View view, bool windows_64bit) {
  if (!windows_64bit || view == PathValues::View::bits32) return PathValues::View::default_view;
  return view;
}

std::u16string PathValues::program_files(View view) {
  if (normalise_view(view, facts_.os().windows_64bit) == View::bits64) {
    std::u16string path = facts_.known_folder(KnownFolder::ProgramFilesX64);
    if (path.empty()) path = facts_.environment_variable(u"ProgramW6432");
    if (path.empty()) path = without_first_x86(program_files(View::default_view));
    return path;
  }
  std::u16string path = facts_.special_folder(kCsidlProgramFiles);
  if (path.empty()) path = facts_.known_folder(KnownFolder::ProgramFiles);
  if (path.empty()) path = trim_registry_folder(facts_.current_version_value(u"ProgramFilesDir"));
  if (path.empty()) path = u"c:\\Program Files";
  return path;
}

std::u16string PathValues::common_files(View view) {
  if (normalise_view(view, facts_.os().windows_64bit) == View::bits64) {
    std::u16string path = facts_.known_folder(KnownFolder::ProgramFilesCommonX64);
    if (path.empty()) path = facts_.environment_variable(u"CommonProgramW6432");
    if (path.empty()) path = without_first_x86(common_files(View::default_view));
    return path;
  }
  std::u16string path = facts_.special_folder(kCsidlProgramFilesCommon);
  if (path.empty()) path = facts_.known_folder(KnownFolder::ProgramFilesCommon);
  if (path.empty()) path = trim_registry_folder(facts_.current_version_value(u"CommonFilesDir"));
  if (path.empty()) path = kv::join_path(program_files(View::default_view), u"Common Files");
  return path;
}

std::u16string PathValues::special(PathVar var) {
  const SpecialFolder& row = *special_folder_row(var);
  std::u16string path = facts_.special_folder(row.csidl);
  if (path.empty()) path = trim_registry_folder(facts_.shell_folder_value(row.all_users, row.value_name));
  if (path.empty() && row.common_startup_drop > 0)
    path = drop_components(trim_registry_folder(facts_.shell_folder_value(true, u"Common Startup")),
                           row.common_startup_drop);
  if (!path.empty()) return path;
  switch (row.last) {
    case Last::common_files: return common_files(View::default_view);
    case Last::variable: return value(row.other);
    case Last::variable_joined: return kv::join_path(value(row.other), row.text);
    case Last::windows_joined: return kv::join_path(facts_.windows_dir(), row.text);
    case Last::fixed: return std::u16string(row.text);
  }
  return path;
}

std::u16string PathValues::temp() {
  if (cache_.temp) return *cache_.temp;
  std::u16string path = facts_.temp_path();
  if (path.empty() || !facts_.folder_exists(path)) {
    path = kv::join_path(facts_.windows_dir(), u"temp");
    if (!facts_.folder_exists(path)) {
      path = u"c:\\temp";
      facts_.create_folder(path);
    }
  }
  if (!path.empty() && path.back() == u'\\') path.pop_back();
  cache_.temp = path;
  return path;
}

std::u16string PathValues::value(PathVar var) {
  if (special_folder_row(var)) return special(var);
  const kv::OsVersion& os = facts_.os();
  switch (var) {
    case PathVar::Bits: return os.windows_64bit ? u"64" : u"32";
    case PathVar::BootDrive: return boot_drive(facts_.boot_dir());
    case PathVar::CommonDir: return common_files(run_.bitness == 1 ? View::bits64 : View::bits32);
    case PathVar::CommonDir32: return common_files(View::bits32);
    case PathVar::CommonDir64: return common_files(View::bits64);
    case PathVar::DesktopShortcuts: return run_.desktop_shortcuts;
    case PathVar::DeviceDir: {
      std::u16string path = trim_registry_folder(facts_.current_version_value(u"DevicePath"));
      path.erase(std::min(path.find(u';'), path.size()));
      std::u16string system_root = facts_.environment_variable(u"SystemRoot");
      if (!system_root.empty()) path = kv::replace_all(path, u"%SystemRoot%", system_root, true);
      return path.empty() ? kv::join_path(facts_.windows_dir(), u"INF") : path;
    }
    case PathVar::Inetpub: {
      std::u16string root = facts_.web_root();
      if (root.empty()) root = u"c:\\Inetpub\\wwwroot";
      if (root.back() == u'\\') root.pop_back();
      root = drop_components(root, 1);
      if (!root.empty() && root.back() == u'\\') root.pop_back();
      return root;
    }
    case PathVar::InstallDir: return run_.install_dir;
    case PathVar::InstallDrive: return drive_of(run_.install_dir, true);
    case PathVar::InstallerDir: return kv::parent_folder(facts_.installer_path());
    case PathVar::InstallerDrive: return drive_of(facts_.installer_path(), false);
    case PathVar::InstallerFilename: return kv::file_name_of(facts_.installer_path());
    case PathVar::InstallerFilepath: return facts_.installer_path();
    case PathVar::MediaDir: {
      std::u16string path = trim_registry_folder(facts_.current_version_value(u"MediaPath"));
      return path.empty() ? kv::join_path(facts_.windows_dir(), u"Media") : path;
    }
    case PathVar::OldVersion: return run_.old_version;
    case PathVar::OldVersionMajor: return version_major(run_.old_version);
    case PathVar::OldVersionMinor: return version_minor(run_.old_version);
    case PathVar::Portable: return run_.portable ? u"1" : u"0";
    case PathVar::ProductName: return run_.product_name;
    case PathVar::CompanyName: return run_.company_name;
    case PathVar::ProgramsDir: return program_files(run_.bitness == 1 ? View::bits64 : View::bits32);
    case PathVar::ProgramsDir32: return program_files(View::bits32);
    case PathVar::ProgramsDir64: return program_files(View::bits64);
    case PathVar::SharedDir: return run_.shared_dir;
    case PathVar::StartMenuChosen:
      return kv::join_path(value(run_.shortcuts_for_all_users ? PathVar::SMProgramsAllDir : PathVar::SMProgramsDir),
                       run_.start_menu_folder);
    case PathVar::SystemDir: {
      std::u16string path = facts_.system_dir();
      if (path.empty())
        path = kv::join_path(facts_.windows_dir(), os.platform == kv::kPlatformNt ? u"System32" : u"System");
      return path;
    }
    case PathVar::Temp: return temp();
    case PathVar::UninstallDir: return run_.uninstall_dir;
    case PathVar::Version: return run_.product_version;
    case PathVar::WinDir: return facts_.windows_dir();
    case PathVar::OS: return kv::to_u16(kv::os_number(os));
    case PathVar::OSMajor: return kv::to_u16(os.major);
    case PathVar::OSMinor: return kv::to_u16(os.minor);
    case PathVar::OSName: return kv::ascii_to_utf16(kv::os_short_name(os));
    default: return {};
  }
}

}  // namespace engine
