#pragma once
// The uninstall run: finds the product's uninstall key, reads back what the
// installation recorded (the key's values and Uninstall.DAT), asks for
// confirmation and undoes everything in a fixed order. Failures are
// collected in the error report and shown once at the end; what could not be
// removed stays in a rewritten Uninstall.DAT, so that the user can run the
// uninstaller again.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "run_outcome.h"
#include "uninstall_key.h"

namespace uninstall {

// What the run reads from the uninstall key, and what it collects.
struct UninstallRun : integration::InstalledProduct {
  std::u16string product_name;      // the uninstall key's name
  std::u16string uninstall_folder;  // the installation folder joined with the subfolder
  std::u16string desktop_folder;    // the desktop of the shortcut mode joined with the folder's name

  // Every file this run deleted, ASCII capitals lowered.
  std::set<std::u16string> deleted_files;
  // The directory records of the removal list.
  std::vector<std::u16string> directories;
};

// The run of this process.
extern UninstallRun uninstall_run;

// Windows only.
//
// Uninstalls the named product. Completed (or completed but for a restart
// not made) when everything was removed without errors: then the uninstall
// key is gone and the caller sends the uninstall notification and starts the
// self-removal. A No to the confirmation ends the run as cancelled.
setup::RunOutcome uninstall(const std::u16string& product_name);

}  // namespace uninstall
