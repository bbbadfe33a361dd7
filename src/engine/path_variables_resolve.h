#pragma once
// What each path variable stands for, worked out from the raw facts of the
// machine (PathSystemFacts: each call returns what one system source gave,
// empty when it gave nothing) and the run's values. The fallback chains and
// the path rules here are platform-neutral; path_variables_win.cpp supplies
// the facts.
#include <optional>
#include <string>
#include <string_view>

#include "os_version.h"
#include "path_variables.h"

namespace engine {

enum class KnownFolder { ProgramFiles, ProgramFilesX64, ProgramFilesCommon, ProgramFilesCommonX64 };

class PathSystemFacts {
 public:
  virtual ~PathSystemFacts() = default;
  virtual std::u16string special_folder(int csidl) = 0;          // SHGetSpecialFolderPathW
  virtual std::u16string known_folder(KnownFolder folder) = 0;   // SHGetKnownFolderPath
  // A value of the shell-folders key, of the user's (HKCU) or the machine's
  // (HKLM) key, as stored.
  virtual std::u16string shell_folder_value(bool all_users, std::u16string_view name) = 0;
  // A value of HKLM "Software\Microsoft\Windows\CurrentVersion", as stored.
  virtual std::u16string current_version_value(std::u16string_view name) = 0;
  virtual std::u16string boot_dir() = 0;   // "BootDir" of the Setup key
  virtual std::u16string web_root() = 0;   // "PathWWWRoot", environment expanded
  virtual std::u16string environment_variable(std::u16string_view name) = 0;
  virtual std::u16string windows_dir() = 0;
  virtual std::u16string system_dir() = 0;
  virtual std::u16string temp_path() = 0;  // GetTempPathW
  virtual bool folder_exists(const std::u16string& path) = 0;
  virtual void create_folder(const std::u16string& path) = 0;
  virtual std::u16string installer_path() = 0;
  virtual const kv::OsVersion& os() = 0;
  virtual std::optional<std::u16string> expand_environment(const std::u16string& text) = 0;
};

// Values kept for the whole process.
struct PathValueCache {
  std::optional<std::u16string> temp;
};

// The table's values over the facts and the run's values.
class PathValues final : public PathValueSource {
 public:
  PathValues(PathSystemFacts& facts, const PathRunValues& run, PathValueCache& cache)
      : facts_(facts), run_(run), cache_(cache) {}
  std::u16string value(PathVar var) override;
  std::optional<std::u16string> expand_environment(const std::u16string& text) override {
    return facts_.expand_environment(text);
  }

  enum class View { default_view, bits32, bits64 };
  std::u16string program_files(View view);
  std::u16string common_files(View view);

 private:
  std::u16string special(PathVar var);
  std::u16string temp();

  PathSystemFacts& facts_;
  const PathRunValues& run_;
  PathValueCache& cache_;
};

// Path rules, exposed for their tests.

// A folder read from the registry loses one trailing backslash when it has
// four characters or more; a drive root ("C:\") keeps it.
std::u16string trim_registry_folder(std::u16string value);
// Letter and colon when the path begins with them, else empty (a network
// path has no drive).
std::u16string drive_of(std::u16string_view path, bool upper_case);
// Removes the last `count` components with the backslashes before them;
// empty when the path has fewer.
std::u16string drop_components(std::u16string_view path, int count);
// Letter (upper case) and colon of "BootDir"; "C:" when it names no drive.
std::u16string boot_drive(std::u16string_view boot_dir);
// "3.10.2" gives 3 and 10.
std::u16string version_major(std::u16string_view version);
std::u16string version_minor(std::u16string_view version);
// On 32-bit Windows every view is the default; on 64-bit Windows a 32-bit
// process's default already is the 32-bit ("(x86)") folder.
PathValues::View normalise_view(PathValues::View view, bool windows_64bit);

}  // namespace engine
