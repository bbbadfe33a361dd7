#pragma once
// Firewall exceptions for the product's ports and programs: added after the
// file associations, recorded for the uninstaller, removed by it again.
#include <string>

#include "uninstall_records.h"

namespace integration {

// The settings' exceptions, line by line, into the firewall of the current
// profile, each logged with its result code. Skipped when the list is
// empty, and in a portable installation whose settings say so. A line with
// other than four fields ends the run as a damaged installer (code 90)
// before any exception is added; a crash inside ends the step quietly.
void install_firewall_exceptions();

// A program line's path as a full path: its path variables expanded, a
// relative path taken from the installation folder.
std::u16string firewall_program_path(std::u16string path, std::u16string_view install_folder);

// The uninstaller's side: false when there is no firewall to remove from.
bool connect_firewall();
// Removes an exception the installation recorded; failures are silent.
void remove_firewall_exception(const uninstall::FirewallRecord& record, std::u16string_view install_folder);

}  // namespace integration
