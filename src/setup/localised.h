#pragma once
// Localised string n: text number n of the string table in the current
// language with its placeholders replaced.
#include <string>

#include "settings.h"
#include "string_table.h"

namespace setup {

std::u16string localised(int number);

// The run's placeholders: the product's name (the command line's override
// first), its description (else the name) and the running system's name.
Placeholders run_placeholders(const Settings& settings, std::u16string_view name_override,
                              std::u16string_view system_name);

}  // namespace setup
