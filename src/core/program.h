#pragma once
// The program's title, held as 8-bit and UTF-16 text: the default caption of
// message boxes and the name in the fatal message box.
#include <string>

namespace kv {

void set_program_title(std::u16string_view title);
const std::string& program_title();
const std::u16string& program_title_w();

}  // namespace kv
