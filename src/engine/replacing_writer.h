#pragma once
// The replacing file writer: puts one file on the disk with its time and
// attributes, retrying while it is in use, and hands a file that stays in
// use to replacement at the next restart. Used by the file loop and by the
// completion for the files it takes from the installation data.
#include <cstdint>
#include <span>
#include <string>

#include "date_time_record.h"

namespace engine {

// Read-only, hidden, system, archive, temporary, offline: the attributes a
// written file may receive.
inline constexpr std::uint32_t kWrittenAttributeMask = 0x1127;
inline constexpr std::uint32_t kLeaveAttributes = 0xFFFFFFFF;

struct FileWriteRequest {
  std::u16string destination;
  std::span<const std::uint8_t> data;
  setup::DateTimeRecord time;                   // creation and modification time (UTC); invalid: left alone
  std::uint32_t attributes = kLeaveAttributes;  // applied within kWrittenAttributeMask
  bool existed = false;                         // the destination was there before the run wrote it
};

struct FileWriteResult {
  bool written = false;    // the file is on the disk with the new content
  bool scheduled = false;  // not written, but it replaces the file at the next restart
};

// Windows only. Three attempts, 50 ms apart: the first failure creates
// missing folders and, with setup::flags_low::kOverwriteProtected, clears the file's
// protective attributes. After the third a file that existed (or any file
// with setup::flags_low::kScheduleNewFiles) is scheduled for replacement at the next
// restart: the run then requires a restart (require_restart) and the log
// gets the message; every other
// failure goes to the error report. The `ProductFlags` are the settings'.
// Data beyond the signed 32-bit range (a negative size seen as unsigned) is
// the corrupt-installer error 5.
FileWriteResult write_replacing_file(const FileWriteRequest& request);

}  // namespace engine
