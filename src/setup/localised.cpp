#include "localised.h"

namespace setup {

StringTable strings;
Placeholders placeholders;

std::u16string localised(int number) { return expand_placeholders(strings.raw(number), placeholders); }

}  // namespace setup
