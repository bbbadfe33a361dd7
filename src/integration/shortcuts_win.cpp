#include "shortcuts.h"

namespace integration {

// Shell links come with their own part; until then none is made.
void create_shortcuts() {}

}  // namespace integration
