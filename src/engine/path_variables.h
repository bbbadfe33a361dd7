#pragma once
// Path variables: names between percent signs (%InstallDir%, %SystemDir%,
// ...) in every path, command, registry text and shortcut target of an
// installation, replaced by what they mean on the machine of the run.
//
// The walk over the table is pure: it asks a PathValueSource for each value
// it finds and for the final environment step. The values themselves come
// from path_variables_resolve.h (folders, OS facts) over the run's values
// below; path_variables_win.h has the operation the rest of the runtime calls.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace engine {

// In the order in which the expansion replaces them.
enum class PathVar {
  AppDataAllDir,
  AppDataDir,
  Bits,
  BootDrive,
  CommonDir,
  CommonDir32,
  CommonDir64,
  DesktopAllDir,
  DesktopDir,
  DesktopShortcuts,
  DeviceDir,
  DocumentAllDir,
  DocumentDir,
  FavoritesAllDir,
  FavoritesDir,
  FontDir,
  Inetpub,
  InstallDir,
  InstallDrive,
  InstallerDir,
  InstallerDrive,
  InstallerFilename,
  InstallerFilepath,
  MediaDir,
  OldVersion,
  OldVersionMajor,
  OldVersionMinor,
  Portable,
  ProductName,
  CompanyName,
  ProgramsDir,
  ProgramsDir32,
  ProgramsDir64,
  SharedDir,
  SMProgramsAllDir,
  SMProgramsDir,
  StartMenuAllDir,
  StartMenuChosen,
  StartMenuDir,
  StartupAllDir,
  StartupDir,
  SystemDir,
  Temp,
  UninstallDir,
  Version,
  WinDir,
  OS,
  OSMajor,
  OSMinor,
  OSName,
};

struct PathVarRow {
  std::u16string_view name;  // with its percent signs
  PathVar var;
  bool exact_case;           // only %OldVersionMajor% and %OldVersionMinor%
};
// Every variable, in replacement order.
std::span<const PathVarRow> path_variable_table();

class PathValueSource {
 public:
  virtual ~PathValueSource() = default;
  // The variable's value now; asked only when the text holds its name.
  virtual std::u16string value(PathVar var) = 0;
  // The system's environment expansion; empty when it failed.
  virtual std::optional<std::u16string> expand_environment(const std::u16string& text) = 0;
};

// Replaces each row's name at every occurrence, row by row (a value is not
// searched again for its own name, but later rows see it), then hands the
// result to the environment step. A name nobody knows stays as it is.
void expand_path_variables(std::u16string& text, PathValueSource& source);

// The values of the run that the installation driver owns and the settings
// it copies here. Variables read them at the moment of each expansion, so
// they reflect the latest choice (the folder changed on the wizard's page).
struct PathRunValues {
  std::u16string install_dir;
  std::u16string shared_dir;
  std::u16string uninstall_dir;
  std::u16string desktop_shortcuts;      // computed once by the driver
  std::u16string start_menu_folder;      // the program group chosen in the wizard
  bool shortcuts_for_all_users = false;  // ShortcutMode 1
  std::u16string old_version;            // of the installation this run overwrites
  bool portable = false;
  std::u16string product_name;
  std::u16string company_name;
  std::u16string product_version;
  int bitness = 0;                       // Bitness: 1 = 64-bit product
};

}  // namespace engine
