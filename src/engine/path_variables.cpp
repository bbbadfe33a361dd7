#include "path_variables.h"

#include <array>

#include "text.h"

namespace engine {


namespace {

constexpr std::array kTable = {
    PathVarRow{u"%AppDataAllDir%", PathVar::AppDataAllDir, false},
    PathVarRow{u"%AppDataDir%", PathVar::AppDataDir, false},
    PathVarRow{u"%Bits%", PathVar::Bits, false},
    PathVarRow{u"%BootDrive%", PathVar::BootDrive, false},
    PathVarRow{u"%CommonDir%", PathVar::CommonDir, false},
    PathVarRow{u"%CommonDir32%", PathVar::CommonDir32, false},
    PathVarRow{u"%CommonDir64%", PathVar::CommonDir64, false},
    PathVarRow{u"%DesktopAllDir%", PathVar::DesktopAllDir, false},
    PathVarRow{u"%DesktopDir%", PathVar::DesktopDir, false},
    PathVarRow{u"%DesktopShortcuts%", PathVar::DesktopShortcuts, false},
    PathVarRow{u"%DeviceDir%", PathVar::DeviceDir, false},
    PathVarRow{u"%DocumentAllDir%", PathVar::DocumentAllDir, false},
    PathVarRow{u"%DocumentDir%", PathVar::DocumentDir, false},
    PathVarRow{u"%FavoritesAllDir%", PathVar::FavoritesAllDir, false},
    PathVarRow{u"%FavoritesDir%", PathVar::FavoritesDir, false},
    PathVarRow{u"%FontDir%", PathVar::FontDir, false},
    PathVarRow{u"%Inetpub%", PathVar::Inetpub, false},
    PathVarRow{u"%InstallDir%", PathVar::InstallDir, false},
    PathVarRow{u"%InstallDrive%", PathVar::InstallDrive, false},
    PathVarRow{u"%InstallerDir%", PathVar::InstallerDir, false},
    PathVarRow{u"%InstallerDrive%", PathVar::InstallerDrive, false},
    PathVarRow{u"%InstallerFilename%", PathVar::InstallerFilename, false},
    PathVarRow{u"%InstallerFilepath%", PathVar::InstallerFilepath, false},
    PathVarRow{u"%MediaDir%", PathVar::MediaDir, false},
    PathVarRow{u"%OldVersion%", PathVar::OldVersion, false},
    PathVarRow{u"%OldVersionMajor%", PathVar::OldVersionMajor, true},
    PathVarRow{u"%OldVersionMinor%", PathVar::OldVersionMinor, true},
    PathVarRow{u"%Portable%", PathVar::Portable, false},
    PathVarRow{u"%ProductName%", PathVar::ProductName, false},
    PathVarRow{u"%CompanyName%", PathVar::CompanyName, false},
    PathVarRow{u"%ProgramsDir%", PathVar::ProgramsDir, false},
    PathVarRow{u"%ProgramsDir32%", PathVar::ProgramsDir32, false},
    PathVarRow{u"%ProgramsDir64%", PathVar::ProgramsDir64, false},
    PathVarRow{u"%SharedDir%", PathVar::SharedDir, false},
    PathVarRow{u"%SMProgramsAllDir%", PathVar::SMProgramsAllDir, false},
    PathVarRow{u"%SMProgramsDir%", PathVar::SMProgramsDir, false},
    PathVarRow{u"%StartMenuAllDir%", PathVar::StartMenuAllDir, false},
    PathVarRow{u"%StartMenuChosen%", PathVar::StartMenuChosen, false},
    PathVarRow{u"%StartMenuDir%", PathVar::StartMenuDir, false},
    PathVarRow{u"%StartupAllDir%", PathVar::StartupAllDir, false},
    PathVarRow{u"%StartupDir%", PathVar::StartupDir, false},
    PathVarRow{u"%SystemDir%", PathVar::SystemDir, false},
    PathVarRow{u"%Temp%", PathVar::Temp, false},
    PathVarRow{u"%UninstallDir%", PathVar::UninstallDir, false},
    PathVarRow{u"%Version%", PathVar::Version, false},
    PathVarRow{u"%WinDir%", PathVar::WinDir, false},
    PathVarRow{u"%OS%", PathVar::OS, false},
    PathVarRow{u"%OSMajor%", PathVar::OSMajor, false},
    PathVarRow{u"%OSMinor%", PathVar::OSMinor, false},
    PathVarRow{u"%OSName%", PathVar::OSName, false},
};

std::size_t find_name(const std::u16string& text, const PathVarRow& row) {
  return row.exact_case ? text.find(row.name) : kv::ifind(text, row.name);
}

}  // namespace

std::span<const PathVarRow> path_variable_table() { return kTable; }

void expand_path_variables(std::u16string& text, PathValueSource& source) {
  // Every name of the table and of the environment has percent signs.
  if (text.find(u'%') == std::u16string::npos) return;
  for (const PathVarRow& row : kTable) {
    if (find_name(text, row) == std::u16string::npos) continue;
    text = kv::replace_all(text, row.name, source.value(row.var), !row.exact_case);
  }
  // The names of the table took most percent signs with them.
  if (text.find(u'%') == std::u16string::npos) return;
  if (std::optional<std::u16string> expanded = source.expand_environment(text)) text = std::move(*expanded);
}

}  // namespace engine
