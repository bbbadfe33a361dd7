#pragma once
// File-system helpers of the file installation on Windows.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "system_error.h"

#include "date_time_record.h"

namespace engine {

// The system's text for an error code, without its line end.
using kv::system_error_text;

// False when the path names a drive letter that the system does not have.
bool drive_present(const std::u16string& path);

// A file time, UTC, in the entry's six-integer form.
std::optional<setup::DateTimeRecord> entry_time_of(const FILETIME& time);

// An entry's time (six integers, taken as UTC) as a file time; false when a
// field does not fit the system's time or the date does not exist.
bool to_file_time(const setup::DateTimeRecord& time, FILETIME& out);

// Sets an entry's time as the file's creation and last-write time through
// a handle that may write; an invalid time leaves the file's times alone.
void set_entry_time(HANDLE file, const setup::DateTimeRecord& time);

// Writes all the data at the handle's position; false with the system's
// error when a write fails or writes nothing.
bool write_all(HANDLE file, std::span<const std::uint8_t> data);

// The "FileVersion" text of a file's version resource, as stored.
std::optional<std::u16string> file_version_text(const std::u16string& path);

}  // namespace engine
