#pragma once
// Full access for everyone to a product folder (Windows only), so that all
// users of the machine may change what the product keeps there. The driver
// calls it for the installation folder, and for the shared folder when the
// settings ask for that too.
#include <cstdint>
#include <string>

namespace integration {

// Logs "Granting rights to directory ..." and its outcome. Returns 0, 3 for a
// folder that does not exist, or the system's error code.
std::uint32_t grant_folder_rights(const std::u16string& folder);

}  // namespace integration
