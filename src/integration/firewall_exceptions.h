#pragma once
// Firewall exceptions for the product's ports and programs.
#include <string>

#include "uninstall_records.h"

namespace integration {

// Adds the settings' exceptions, recording for the uninstaller those it
// removes again.
void add_firewall_exceptions();

// Removes an exception the installation added; `program` is the program's
// full path (empty for a port).
void remove_firewall_exception(const uninstall::FirewallRecord& record, const std::u16string& program);

}  // namespace integration
