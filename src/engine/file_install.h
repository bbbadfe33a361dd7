#pragma once
// The file loop: every file entry of the installation data is placed on the
// disk under its overwrite rules, recorded for the uninstaller and queued
// for what follows (shortcuts, component registration, reference counts).
// The decisions are pure (file_destination.h, overwrite_decision.h); this is
// the Windows layer around them.
#include <set>
#include <string>
#include <vector>

#include "archive.h"
#include "file_install_lists.h"
#include "settings.h"

namespace engine {

// One installation's file loop over the run's lists. Reads the settings,
// the run modes (portable) and the path variables of the run; writes the
// installation log, the error report and the uninstall data; shows its
// steps through the run's status.
class FileInstaller {
 public:
  // Shortcut entries for installed files are appended to `shortcuts` (the
  // settings' shortcut list, made after all files).
  FileInstaller(FileLoopLists& lists, std::vector<setup::ShortcutEntry>& shortcuts);
  FileInstaller(const FileInstaller&) = delete;
  FileInstaller& operator=(const FileInstaller&) = delete;

  // One entry, from its destination to its registration. A kind the
  // installer does not know ends the run (corrupt installer, 110).
  void install(const setup::FileEntry& entry);

  // After the last entry: the fonts broadcast, the pending-operation
  // cleanup (engine::run.hooks) and, with an uninstaller in a non-portable
  // installation, the shared-file reference counts (progress 91 to 93).
  void finish();

 private:
  bool create_destination_folder(const setup::FileEntry& entry, const std::u16string& destination);

  FileLoopLists& lists_;
  std::vector<setup::ShortcutEntry>& shortcuts_;
};

// Walks every entry of the reader through the installer, then finishes.
// Damaged data ends the run with the corrupt-installer error.
void install_files(setup::ArchiveReader& reader, FileInstaller& installer);

}  // namespace engine
