#include "run_state.h"

namespace setup {

RunState run;

}  // namespace setup
