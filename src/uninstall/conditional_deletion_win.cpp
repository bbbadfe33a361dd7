// Conditional deletion on the machine of the run.
#include <windows.h>

#include "conditional_deletion.h"
#include "corrupt_installer.h"
#include "engine_run.h"
#include "install_log.h"
#include "kv_core.h"
#include "path_variables_win.h"
#include "paths.h"
#include "reboot_operations.h"
#include "removal_order.h"
#include "uninstaller_win.h"
#include "win_handles.h"

namespace uninstall {
namespace {

constexpr DWORD kClearedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

class RunFiles final : public ConditionalFiles {
 public:
  std::u16string expand_pattern(const std::string& marked_pattern) override {
    std::u16string pattern = kv::from_marked(marked_pattern);
    engine::expand_path_variables(pattern);
    if (!kv::is_absolute_path(pattern)) pattern = kv::join_path(engine::run.paths.install_dir, pattern);
    return pattern;
  }

  std::vector<std::u16string> matching_files(const std::u16string& pattern) override {
    std::vector<std::u16string> files;
    std::size_t cut = pattern.find_last_of(u"\\/");
    std::u16string folder = cut == std::u16string::npos ? std::u16string() : pattern.substr(0, cut);
    WIN32_FIND_DATAW found;
    kv::UniqueFind find(FindFirstFileW(kv::as_wide(pattern), &found));
    if (!find) return files;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        files.push_back(kv::join_path(folder, kv::from_wide(found.cFileName)));
    } while (FindNextFileW(find.get(), &found));
    return files;
  }

  std::optional<FileFacts> facts(const std::u16string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    SYSTEMTIME time;
    if (!GetFileAttributesExW(kv::as_wide(path), GetFileExInfoStandard, &data) ||
        !FileTimeToSystemTime(&data.ftLastWriteTime, &time))
      return std::nullopt;
    FileFacts facts;
    facts.size = (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    facts.last_write = {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
    return facts;
  }

  void clear_attributes(const std::u16string& path) override {
    DWORD attributes = GetFileAttributesW(kv::as_wide(path));
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & kClearedAttributes)) return;
    attributes &= ~kClearedAttributes;
    SetFileAttributesW(kv::as_wide(path), attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
  }

  std::uint32_t delete_now(const std::u16string& path) override {
    return DeleteFileW(kv::as_wide(path)) ? ERROR_SUCCESS : GetLastError();
  }

  std::uint32_t delete_at_reboot(const std::u16string& path) override {
    if (engine::delete_at_reboot(path)) return ERROR_SUCCESS;
    DWORD error = GetLastError();
    return error ? error : DWORD(ERROR_GEN_FAILURE);
  }

  std::u16string error_text(std::uint32_t code) override { return detail::system_error_text(code); }
};

}  // namespace

bool delete_conditional_files(std::vector<ConditionalDeletion>& entries, CleanupPhase phase) {
  RunFiles files;
  ConditionalOutcome outcome = apply_conditional_deletions(entries, phase, files);
  if (phase == CleanupPhase::installation) {
    if (!outcome.log.empty()) engine::log_wide(outcome.log);
    if (!outcome.error_report.empty()) engine::error_report_append(outcome.error_report);
    if (outcome.reboot_registered) engine::require_restart();
  }
  if (outcome.corrupt) setup::corrupt_installer(kInvalidOperandDate);
  return outcome.reboot_registered;
}

}  // namespace uninstall
