#pragma once
// The author's registry merge file: the text the settings carry, written to
// a temporary ".reg" file that the system's registry editor imports.
#include <string>
#include <string_view>

namespace integration {

// The file's bytes as the registry editor reads them: a "REGEDIT4" file in
// the ANSI code page (its hexadecimal strings are ANSI bytes), any other as
// UTF-16 behind its byte-order mark.
std::string merge_file_bytes(std::u16string_view text);

// The editor imports the file without asking.
std::u16string merge_command_line(std::u16string_view editor, std::u16string_view file);

}  // namespace integration
