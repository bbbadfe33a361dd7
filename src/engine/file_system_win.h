#pragma once
// File-system helpers of the file installation on Windows.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "system_error.h"

#include "settings.h"  // DateTimeRecord

namespace engine {

// The system's text for an error code, without its line end.
using kv::system_error_text;

// False when the path names a drive letter that the system does not have.
bool drive_present(const std::u16string& path);

// The last-write time of a file, UTC, in the entry's six-integer form.
std::optional<setup::DateTimeRecord> file_modification_time(const std::u16string& path);

// An entry's time (six integers, taken as UTC) as a file time; false when a
// field does not fit the system's time or the date does not exist.
bool to_file_time(const setup::DateTimeRecord& time, FILETIME& out);

// The "FileVersion" text of a file's version resource, as stored.
std::optional<std::u16string> file_version_text(const std::u16string& path);

// Creates a folder with all its missing levels; an existing folder counts
// as created. On failure `error` holds the system's code and
// `file_in_the_way` tells that a file holds the name of a level.
bool create_folder_path(const std::u16string& folder, std::uint32_t& error, bool& file_in_the_way);

}  // namespace engine
