#pragma once
// Path variables on the machine of the run: the operation every path,
// command, registry text and shortcut target of an installation goes
// through, over the run's values in path_run_values.
#include <string>
#include <string_view>

#include "path_variables.h"
#include "path_variables_resolve.h"

namespace engine {

// Replaces the table's variables, then environment variables; edits in place.
void expand_path_variables(std::u16string& text);
// The same, giving the expanded copy.
std::u16string expanded(std::u16string text);

// One variable's value now.
std::u16string path_variable(PathVar var);

// The program files or common files folder in a view (32-bit, 64-bit or
// the default one), as the variables resolve them.
std::u16string program_files_folder(PathValues::View view);
std::u16string common_files_folder(PathValues::View view);

// A notification address with its placeholders filled for this system and
// the product version of the run.
std::string expand_notification_address(std::string_view address);

}  // namespace engine
