#pragma once
// The one error for damaged installation data: a fixed message (or the
// installation's own text 13) with a code that says which check failed.
#include <string>

namespace setup {

// The message for `code`; `override_format` (text 13 of the string table,
// when the table has it) replaces the built-in one.
std::string corrupt_installer_text(int code, const std::u16string& override_format);

// Ends the run with the corrupt-installer message; exit code 1.
[[noreturn]] void corrupt_installer(int code);

}  // namespace setup
