#pragma once
// Replacement and deletion of files at the next restart: for files in use
// that cannot be written or deleted while Windows runs.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "date_time_record.h"

namespace engine {

// The run's restart needs. The completion turns `reboot_required` into a
// restart offer (it is the run's ProductFlags low bit 0x4000).
struct RebootRunState {
  bool reboot_required = false;
};

// Records that the run needs a restart: in the run's state and in
// ProductFlags low bit 0x4000, which the uninstall key keeps.
void require_restart();

enum class MessageSink { log, error_report };

struct ReplaceRequest {
  std::u16string destination;
  std::span<const std::uint8_t> data;
  setup::DateTimeRecord entry_time;  // taken as UTC
  bool existed = false;             // the destination existed before the run wrote it
  bool schedule_new_files = false;  // ProductFlags low bit 0x800
  std::uint32_t write_error = 0;    // why the last write attempt failed
  std::u16string message;           // the failure message built so far
};

struct ReplaceResult {
  bool registered = false;
  std::u16string message;  // the request's message with this step's lines
  MessageSink sink = MessageSink::error_report;
};

enum class ReplaceDecision { not_eligible, drive_missing, attempt };

// New files are replaced only when scheduling new files is on; a name the
// system rejects (ERROR_INVALID_NAME) is never worth a temporary copy.
ReplaceDecision decide_replacement(bool existed, bool schedule_new_files, std::uint32_t write_error,
                                   bool drive_present);

// Texts of the replacement, appended to the message.
std::u16string drive_missing_text(char16_t drive);
std::u16string no_temporary_file_text(std::u16string_view destination, std::u16string_view error_text);
std::u16string replacement_registered_text(std::u16string_view destination, std::u16string_view temporary);
std::u16string replacement_failed_text(std::u16string_view destination, std::u16string_view temporary,
                                       std::u16string_view error_text);

// The name tried when the system hands out no temporary name: "KVT" and a
// 16-bit number in four hexadecimal places.
std::u16string fallback_temporary_name(std::uint16_t number);

// Windows only.
//
// Writes the data to a "KVT" temporary file beside the destination and asks
// Windows to move it into place at the next restart. On success sets
// the run's restart need (require_restart); the result says where the
// message goes.
ReplaceResult replace_at_reboot(const ReplaceRequest& request);

// Moves (replacing) at the next restart; the source must exist. Falls back to
// wininit.ini where the system has one. On failure the system's error is the
// thread's last error.
bool move_at_reboot(const std::u16string& source, const std::u16string& target);
// Deletes at the next restart.
bool delete_at_reboot(const std::u16string& path);

}  // namespace engine
