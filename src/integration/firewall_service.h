#pragma once
// The Windows Firewall of the current profile, through its COM interfaces.
// The manager, its local policy and the current profile are created at the
// first call that needs them and kept for the process. Every operation
// gives one of the firewall result codes (firewall_list.h); a crash inside
// the firewall's code gives kCrashed. The run's thread calls these (COM is
// initialised there).
#include <cstdint>
#include <string>

namespace integration::firewall {

// kSuccess, or why there is no current profile (kNoManager, kNoPolicy,
// kNoProfile).
int connect();

// Opens the port for one protocol (kProtocolTcp or kProtocolUdp) under the
// name, enabled. A port already open and enabled for that protocol is not
// added again: kSuccess, or kExists when the caller asks to be told.
int add_port(std::uint32_t port, long protocol, const std::u16string& name, bool report_existing = false);
// Authorises the program (its full path) under the name, enabled; an
// enabled entry for the path counts as for ports.
int add_program(const std::u16string& path, const std::u16string& name, bool report_existing = false);

int remove_port(std::uint32_t port, long protocol);
int remove_program(const std::u16string& path);

}  // namespace integration::firewall
