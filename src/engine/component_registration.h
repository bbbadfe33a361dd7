#pragma once
// Registration of installed components. Installer packages (kind 11) and
// control panel applets (kind 12) are handled right after their file is
// written; COM servers (kind 7), type libraries (kind 8) and driver INF
// files (kind 10) are collected by the file loop and registered in one pass
// after it. Every registration is logged with its outcome; foreign code runs
// inside a crash guard, and a crash abandons only its own item. Windows only.
#include <cstdint>
#include <string>

#include "archive.h"
#include "crash_guard.h"
#include "file_install_lists.h"

namespace engine {

void install_msi_package(const setup::FileEntry& entry, const std::u16string& destination);
// Also runs when the applet's file was scheduled for replacement at the
// next restart: the registration names the final path.
void register_control_panel_applet(const setup::FileEntry& entry, const std::u16string& destination);
// The COM servers, then the type libraries, then the driver packages.
void register_collected_components(const FileLoopLists& lists);

// Self-registration, shared with the uninstaller.
//
// regsvr32's exit code for one server (run hidden from the system folder and
// waited for), or the reason it could not be run, never 0 then.
std::uint32_t run_regsvr32(const std::u16string& server, bool unregister);
// Loads the server into this process and calls its entry point of that name
// ("DllRegisterServer", "DllUnregisterServer"), inside a crash guard;
// `called` tells whether the server has it. The entry's own result is not
// asked for: a server that has the entry counts as registered.
kv::CrashInfo call_server_entry(const std::u16string& server, const char* entry_name, bool& called);

}  // namespace engine
