#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "corrupt_installer.h"
#include "file_system_win.h"
#include "folders_win.h"
#include "install_log.h"
#include "installation_data.h"
#include "localised.h"
#include "overwrite_decision.h"
#include "path_variables_resolve.h"
#include "paths.h"
#include "reboot_operations.h"
#include "replacing_writer.h"
#include "rollback_win.h"
#include "run_state.h"
#include "text_ids.h"
#include "win_handles.h"

namespace engine {
namespace {

constexpr int kAttempts = 3;
constexpr DWORD kPauseMs = 50;
constexpr int kDataSizeError = 5;
constexpr DWORD kProtectiveAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Reads the file back; a difference is reported as a data error.
bool file_holds(const std::u16string& path, std::span<const std::uint8_t> data) {
  kv::UniqueFile file(CreateFileW(kv::as_wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size;
  if (!file || !GetFileSizeEx(file.get(), &size)) return false;
  if (std::uint64_t(size.QuadPart) != data.size()) {
    SetLastError(ERROR_CRC);
    return false;
  }
  std::vector<std::uint8_t> buffer(std::min<std::size_t>(data.size(), 1 << 20));
  while (!data.empty()) {
    DWORD read = 0;
    DWORD chunk = DWORD(std::min(buffer.size(), data.size()));
    if (!ReadFile(file.get(), buffer.data(), chunk, &read, nullptr)) return false;
    if (read == 0 || std::memcmp(buffer.data(), data.data(), read) != 0) {
      SetLastError(ERROR_CRC);
      return false;
    }
    data = data.subspan(read);
  }
  return true;
}

void apply_attributes(const FileWriteRequest& request) {
  if (request.attributes != kLeaveAttributes) {
    DWORD attributes = request.attributes & kWrittenAttributeMask;
    SetFileAttributesW(kv::as_wide(request.destination), attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
  }
}

void clear_protective_attributes(const std::u16string& path) {
  DWORD attributes = GetFileAttributesW(kv::as_wide(path));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kProtectiveAttributes))
    SetFileAttributesW(kv::as_wide(path), attributes & ~kProtectiveAttributes);
}

// After the last attempt: the error report, or replacement at the next
// restart for a file in use.
FileWriteResult give_up(const FileWriteRequest& request, DWORD error) {
  const std::u16string& destination = request.destination;
  std::u16string message = u"\r\n" + setup::localised(setup::text_id::kCannotWriteFile) + u" " + destination + u"\r\n";
  if (!drive_present(destination)) {
    error_report_append(message + drive_missing_text(destination[0]));
    return {};
  }
  message += system_error_text(error) + u"\r\n";
  ReplaceRequest replace;
  replace.destination = destination;
  replace.data = request.data;
  replace.entry_time = request.time;
  replace.existed = request.existed;
  replace.schedule_new_files = setup::run.settings.ProductFlags.has_low(setup::flags_low::kScheduleNewFiles);
  replace.write_error = error;
  replace.message = std::move(message);
  ReplaceResult result = replace_at_reboot(replace);
  if (!result.registered) {
    error_report_append(result.message);
    return {};
  }
  require_restart();
  log_wide(result.message);
  journal_scheduled_file(destination);
  return {false, true};
}

// A file the run replaces is moved aside first, so that a rollback can put
// it back; one whose protective attributes keep it from being written over
// stays where it is, so that the write refuses it as it always did.
bool moved_aside(const FileWriteRequest& request, const setup::ProductFlagWords& flags) {
  if (!request.existed) return false;
  DWORD attributes = GetFileAttributesW(kv::as_wide(request.destination));
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if ((attributes & kProtectiveAttributes) && !flags.has_low(setup::flags_low::kOverwriteProtected)) return false;
  return move_aside(request.destination);
}

FileWriteResult write_file(const FileWriteRequest& request, const setup::ProductFlagWords& flags);

}  // namespace

FileWriteResult write_replacing_file(const FileWriteRequest& request) {
  if (request.data.size() > 0x7FFFFFFF) setup::corrupt_installer(kDataSizeError);
  const setup::ProductFlagWords& flags = setup::run.settings.ProductFlags;
  const bool aside = moved_aside(request, flags);
  FileWriteResult result = write_file(request, flags);
  if (aside && !result.written) put_back(request.destination);
  if (!request.existed && result.written) journal_created_file(request.destination);
  return result;
}

namespace {

FileWriteResult write_file(const FileWriteRequest& request, const setup::ProductFlagWords& flags) {
  const wchar_t* path = kv::as_wide(request.destination);
  DWORD error = 0;
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    bool written = false;
    {
      kv::UniqueFile file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
      written = file && write_all(file.get(), request.data);
      if (!written) error = GetLastError();
      // Through the writing handle: a second open per file would cost more
      // than the write of a small file.
      else set_entry_time(file.get(), request.time);
    }
    if (written) {
      if (!flags.has_low(setup::flags_low::kVerifyWrites) || file_holds(request.destination, request.data)) {
        apply_attributes(request);
        return {true, false};
      }
      error = GetLastError();
      if (attempt < kAttempts) continue;  // a bad copy is written again at once
      error_report_append(setup::localised(setup::text_id::kCannotWriteFile) + u" " + request.destination + u"\r\n" + system_error_text(error) +
                          u"\r\n\r\n");
      return {};
    }
    if (attempt == 1) {
      if (error == ERROR_PATH_NOT_FOUND) kv::create_folder_chain(kv::parent_folder(request.destination));
      if (flags.has_low(setup::flags_low::kOverwriteProtected)) clear_protective_attributes(request.destination);
    }
    if (attempt < kAttempts) Sleep(kPauseMs);
  }
  return give_up(request, error);
}

}  // namespace

}  // namespace engine
