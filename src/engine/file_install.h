#pragma once
// The file loop: every file entry of the installation data is placed on the
// disk under its overwrite rules, recorded for the uninstaller and queued
// for what follows (shortcuts, component registration, reference counts).
// The decisions are pure (file_destination.h, overwrite_decision.h); this is
// the Windows layer around them.
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "archive.h"
#include "container_progress.h"
#include "file_install_lists.h"
#include "settings.h"

namespace engine {

// The progress window as the file loop feeds it: the container's reports,
// plus step texts that are not localised strings (the destination paths).
// The same object is handed to the ArchiveReader.
class FileLoopProgress : public setup::ContainerProgress {
 public:
  virtual void show_text(const std::u16string& text) {}
};

// Component registration of installed files. MSI packages (kind 11) and
// control panel applets (kind 12) are handled right after their file is
// written; COM servers (kind 7), type libraries (kind 8) and driver INF
// files (kind 10) are collected in FileLoopLists and registered in one pass
// that the driver starts after install_files(). This default registers
// nothing and logs nothing.
class ComponentRegistration {
 public:
  virtual ~ComponentRegistration() = default;
  virtual void install_msi_package(const setup::FileEntry& entry, const std::u16string& destination) {}
  // Also runs when the applet's file was scheduled for replacement at the
  // next restart: the registration names the final path.
  virtual void register_control_panel_applet(const setup::FileEntry& entry, const std::u16string& destination) {}
  virtual void register_collected_components(const FileLoopLists& lists) {}
};

// Removes pending restart operations that would undo the files just written.
using PendingCleanup = std::function<void(const std::set<std::u16string>& written_paths)>;

struct FileLoopSeams {
  ComponentRegistration* components = nullptr;  // null: nothing is registered
  PendingCleanup pending_cleanup;               // empty: nothing is cleaned up
};

// One installation's file loop over the run's lists. Reads the settings,
// the run modes (portable) and the path variables of the run; writes the
// installation log, the error report and the uninstall data.
class FileInstaller {
 public:
  // Shortcut entries for installed files are appended to `shortcuts` (the
  // settings' shortcut list, made after all files).
  FileInstaller(FileLoopLists& lists, std::vector<setup::ShortcutEntry>& shortcuts, FileLoopProgress& progress,
                FileLoopSeams seams = {});
  FileInstaller(const FileInstaller&) = delete;
  FileInstaller& operator=(const FileInstaller&) = delete;

  // One entry, from its destination to its registration. A kind the
  // installer does not know ends the run (corrupt installer, 110).
  void install(const setup::FileEntry& entry);

  // After the last entry: the fonts broadcast, the pending-operation
  // cleanup and, with an uninstaller in a non-portable installation, the
  // shared-file reference counts (progress 91 to 93).
  void finish();

 private:
  bool create_destination_folder(const setup::FileEntry& entry, const std::u16string& destination);

  FileLoopLists& lists_;
  std::vector<setup::ShortcutEntry>& shortcuts_;
  FileLoopProgress& progress_;
  ComponentRegistration default_components_;
  ComponentRegistration& components_;
  PendingCleanup pending_cleanup_;
};

// Walks every entry of the reader through the installer, then finishes.
// Damaged data ends the run with the corrupt-installer error.
void install_files(setup::ArchiveReader& reader, FileInstaller& installer);

}  // namespace engine
