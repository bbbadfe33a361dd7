#include <windows.h>

#include <algorithm>
#include <random>

#include "engine_run.h"
#include "file_system_win.h"
#include "folders_win.h"
#include "kv_core.h"
#include "paths.h"
#include "system_error.h"
#include "reboot_operations.h"
#include "security_win.h"
#include "win_handles.h"
#include "wininit_ini.h"

namespace engine {
namespace {

constexpr DWORD kReplaceAtReboot = MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT;


using MoveFileExFunction = BOOL(WINAPI*)(LPCWSTR, LPCWSTR, DWORD);

// Resolved at run time: the 9x systems have no working wide version.
MoveFileExFunction move_file_ex() {
  static auto function = reinterpret_cast<MoveFileExFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "MoveFileExW")));
  return function;
}

std::u16string in_windows_folder(std::u16string_view name) {
  return kv::join_path(kv::windows_folder(), name);
}

bool read_whole_file(const std::u16string& path, std::string& text) {
  kv::UniqueFile file(CreateFileW(kv::as_wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  text.clear();
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0) text.append(chunk, read);
  return true;
}

// Adds "target=source" to the [rename] section of wininit.ini.
bool add_wininit_line(const std::u16string& target, const std::u16string& source) {
  std::u16string path = in_windows_folder(u"wininit.ini");
  std::string text;
  if (!read_whole_file(path, text)) text.clear();  // a missing file starts empty
  std::string edited = add_wininit_rename(text, kv::utf16_to_ansi(target), kv::utf16_to_ansi(source));
  kv::UniqueFile file(
      CreateFileW(kv::as_wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  return write_all(file.get(), {reinterpret_cast<const std::uint8_t*>(edited.data()), edited.size()});
}

bool wininit_available() { return kv::path_exists(in_windows_folder(u"wininit.exe")); }

// Creates an empty temporary file in the folder; empty on failure (the
// system's error is the last error).
std::u16string create_temporary_file(const std::u16string& folder) {
  wchar_t buffer[MAX_PATH];
  if (GetTempFileNameW(kv::as_wide(folder), L"KVT", 0, buffer)) return kv::from_wide(buffer);
  DWORD error = GetLastError();
  std::minstd_rand random(GetTickCount() ^ GetCurrentProcessId());
  std::u16string prefix = folder;
  if (!prefix.empty() && prefix.back() != u'\\') prefix += u'\\';
  // Every 16-bit number at most once on average; a full folder ends the search.
  for (int attempt = 0; attempt < 0x10000; ++attempt) {
    std::u16string name = prefix + fallback_temporary_name(static_cast<std::uint16_t>(random()));
    if (kv::path_exists(name)) continue;
    kv::UniqueFile file(
        CreateFileW(kv::as_wide(name), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) return name;
    error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  SetLastError(error);
  return {};
}

// Writes the data and the entry's time into the temporary file.
bool fill_temporary_file(const std::u16string& path, const ReplaceRequest& request) {
  kv::UniqueFile file(CreateFileW(kv::as_wide(path), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || !write_all(file.get(), request.data)) return false;
  set_entry_time(file.get(), request.entry_time);
  return true;
}

}  // namespace

bool move_at_reboot(const std::u16string& source, const std::u16string& target) {
  if (!kv::path_exists(source)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  if (kv::iequals(source, target)) return true;
  MoveFileExFunction move = move_file_ex();
  if (move && move(kv::as_wide(source), kv::as_wide(target), kReplaceAtReboot)) {
    SetLastError(ERROR_BUSY);
    return true;
  }
  DWORD error = move ? GetLastError() : ERROR_CALL_NOT_IMPLEMENTED;
  if (!wininit_available()) {
    SetLastError(error);
    return false;
  }
  return add_wininit_line(target, source);
}

bool delete_at_reboot(const std::u16string& path) {
  SetFileAttributesW(kv::as_wide(path), FILE_ATTRIBUTE_NORMAL);
  MoveFileExFunction move = move_file_ex();
  if (move && move(kv::as_wide(path), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return true;
  DWORD error = move ? GetLastError() : ERROR_CALL_NOT_IMPLEMENTED;
  if (!wininit_available()) {
    SetLastError(error);
    return false;
  }
  return add_wininit_line(kv::ascii_to_utf16(kWininitDeleteTarget), path);
}

ReplaceResult replace_at_reboot(const ReplaceRequest& request) {
  ReplaceResult result{false, request.message, MessageSink::error_report};
  const std::u16string& destination = request.destination;
  switch (decide_replacement(request.existed, request.schedule_new_files, request.write_error,
                             drive_present(destination))) {
    case ReplaceDecision::not_eligible:
      return result;
    case ReplaceDecision::drive_missing:
      result.message += drive_missing_text(destination[0]);
      return result;
    case ReplaceDecision::attempt:
      break;
  }

  std::u16string folder = kv::parent_folder(destination);
  kv::create_folder_chain(folder);  // the temporary file's creation reports a failure
  std::u16string temporary = create_temporary_file(folder);
  if (temporary.empty() || !fill_temporary_file(temporary, request)) {
    DWORD error = GetLastError();
    if (!temporary.empty()) DeleteFileW(kv::as_wide(temporary));
    result.message += no_temporary_file_text(destination, kv::system_error_text(error));
    return result;
  }

  DWORD attributes = GetFileAttributesW(kv::as_wide(temporary));
  if (attributes != INVALID_FILE_ATTRIBUTES)
    SetFileAttributesW(kv::as_wide(temporary),
                       attributes & ~DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  kv::grant_everyone_full_access(temporary, false);

  if (move_at_reboot(temporary, destination)) {
    require_restart();
    result.registered = true;
    result.sink = MessageSink::log;
    result.message += replacement_registered_text(destination, temporary);
    return result;
  }
  DWORD error = GetLastError();
  result.message += replacement_failed_text(destination, temporary, kv::system_error_text(error));
  DeleteFileW(kv::as_wide(temporary));
  return result;
}

}  // namespace engine
