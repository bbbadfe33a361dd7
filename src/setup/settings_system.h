#pragma once
// The platform requirements of the settings: the minimum system version and
// the set of excluded system families.
#include <cstdint>

#include "os_version.h"
#include "settings.h"

namespace setup {

// The system_family bit of a system; 0 for a version that no family names
// (such a system is never excluded).
std::uint32_t system_family_of(const kv::OsVersion& os);

// The running system as the minimum version record counts it, service pack
// included.
SystemVersion running_system_version(const kv::OsVersion& os);

// True when the running version is not older than the minimum, comparing
// major, minor, build and service pack in that order; an empty minimum is met.
bool meets_minimum_system(const SystemVersion& running, const SystemVersion& minimum);

}  // namespace setup
