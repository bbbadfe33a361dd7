#pragma once
// Registration of installed components. Installer packages (kind 11) and
// control panel applets (kind 12) are handled right after their file is
// written; COM servers (kind 7), type libraries (kind 8) and driver INF
// files (kind 10) are collected by the file loop and registered in one pass
// after it.
#include <string>

#include "archive.h"
#include "file_install_lists.h"

namespace engine {

void install_msi_package(const setup::FileEntry& entry, const std::u16string& destination);
// Also runs when the applet's file was scheduled for replacement at the
// next restart: the registration names the final path.
void register_control_panel_applet(const setup::FileEntry& entry, const std::u16string& destination);
void register_collected_components(const FileLoopLists& lists);

}  // namespace engine
