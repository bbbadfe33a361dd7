#include "localised.h"
#include "run_state.h"

namespace setup {

std::u16string localised(int number) { return expand_placeholders(run.strings.raw(number), run.placeholders); }

}  // namespace setup
