#include "registry_entries.h"

namespace integration {

// The entries are applied with their own part; until then none is written.
void apply_registry_entries() {}

}  // namespace integration
