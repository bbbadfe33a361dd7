#pragma once
// Localised string n: text number n of the string table in the current
// language with its placeholders replaced.
#include <string>

#include "string_table.h"

namespace setup {

std::u16string localised(int number);

}  // namespace setup
