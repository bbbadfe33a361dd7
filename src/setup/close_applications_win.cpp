#include "close_applications.h"

namespace setup {

// The rules are applied with the window pass that comes with this part;
// until then no program is closed and nothing can be cancelled.
bool close_applications(std::span<const CloseRule>, std::uint8_t) { return true; }

}  // namespace setup
