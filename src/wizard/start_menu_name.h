#pragma once
// The start-menu folder page accepts a name only while it is one the shell
// can create under the programs folder.
#include <string_view>

namespace wizard {

// A valid name has none of the characters / " < > | * ? : ; and no leading or
// doubled backslash; single backslashes separate subfolders. Empty is valid.
bool valid_start_menu_name(std::u16string_view name);

}  // namespace wizard
