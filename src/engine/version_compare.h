#pragma once
// File versions as the overwrite rules compare them: the entry's version
// text (its label) against the "FileVersion" text of the existing file.
#include <optional>
#include <string>
#include <string_view>

namespace engine {

// The existing file's "FileVersion" text made comparable: commas become full
// stops, blanks, tabs and line ends around it go. A text that is empty then
// counts as no version.
std::optional<std::u16string> clean_file_version(std::u16string_view file_version);

// Reads each text as a sequence of numbers (every run of digits is one, any
// other character separates; a full stop at the very start is a leading 0)
// with a letter suffix (the last ASCII letter anywhere, none = 0). Numbers
// compare by value whatever their length. A longer sequence with an equal
// start is the newer one, so 1.2.0 is newer than 1.2; equal sequences let
// the suffixes decide. Returns +1 when `entry` is newer, 0 when equal, -1
// when older.
int compare_versions(std::u16string_view entry, std::u16string_view existing);

}  // namespace engine
