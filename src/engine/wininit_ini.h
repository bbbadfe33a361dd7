#pragma once
// wininit.ini: the restart rename list of systems without a pending-rename
// registry list. Lines "target=source" in section "[rename]", ANSI text;
// the target "NUL" deletes the source.
#include <string>
#include <string_view>

namespace engine {

inline constexpr std::string_view kWininitDeleteTarget = "NUL";

// The file's text with one more rename line: directly behind the "[rename]"
// line (found without regard to case), or in a "[rename]" section appended
// to the end when there is none.
std::string add_wininit_rename(std::string_view ini_text, std::string_view target, std::string_view source);

}  // namespace engine
