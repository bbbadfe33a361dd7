#include "file_associations.h"

namespace integration {

// Associations come with their own part; until then none is made.
void register_file_associations() {}

}  // namespace integration
