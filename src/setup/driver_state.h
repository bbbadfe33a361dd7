#pragma once
// What the installation driver knows about this run besides the settings and
// the command line. The folders the path variables name (installation,
// shared, uninstall, start menu, desktop shortcuts) live in
// engine::path_run_values, where every expansion reads them.
#include <cstdint>
#include <string>
#include <vector>

#include "wow64_redirection.h"

namespace setup {

// Install types; each is also the number of the localised string that names it.
enum InstallType : int {
  kNewInstall = 0,
  kReinstallNoCompare = 3,
  kSameVersion = 4,
  kUpgrade = 5,
  kDowngrade = 6,
};

struct DriverState {
  // From the product's uninstall key, when an uninstaller is registered.
  std::u16string existing_folder;
  std::u16string installed_version;
  std::u16string installed_start_menu;
  std::u16string no_downgrade_below;
  std::u16string uninstall_string;
  std::u16string quiet_uninstall_string;
  bool reinstall = false;  // the existing installation's folder exists
  // An update-only installer's master product's folder, for "<master>".
  std::u16string master_folder;

  int install_type = kNewInstall;
  bool upgrade = false;
  bool downgrade = false;
  bool same_version = false;

  std::uint64_t required_space = 0;  // bytes bound for the installation folder's drive
  // The installation folder's levels this run made before copying, deepest
  // first: a cancel takes them away again.
  std::vector<std::u16string> created_folders;
  bool restart_pending = false;      // a restart the run needs was not made
  kv::Wow64RedirectionOff redirection;  // off for a 64-bit product's files
  std::int64_t restore_point_sequence = 0;  // committed by the completion

  // The uninstaller's executable image when it is built without the
  // installation data; empty when the running file is copied.
  std::vector<std::uint8_t> uninstaller_image;
};

}  // namespace setup
