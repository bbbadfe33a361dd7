#include "rollback_win.h"

#include <windows.h>

#include <set>

#include "engine_run.h"
#include "file_install_lists.h"
#include "folders_win.h"
#include "install_log.h"
#include "paths.h"
#include "system_error.h"
#include "win_handles.h"

namespace engine {

RollbackJournal journal;

namespace {

constexpr unsigned kBackupNameAttempts = 100;

bool delete_now_or_at_restart(const std::u16string& path, bool& scheduled) {
  scheduled = false;
  SetFileAttributesW(kv::as_wide(path), FILE_ATTRIBUTE_NORMAL);
  if (DeleteFileW(kv::as_wide(path)) || GetLastError() == ERROR_FILE_NOT_FOUND) return true;
  const DWORD error = GetLastError();
  scheduled = MoveFileExW(kv::as_wide(path), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
  SetLastError(error);
  return false;
}

void undo(const UndoStep& step) {
  bool scheduled = false;
  switch (step.action) {
    case UndoAction::delete_file:
      if (delete_now_or_at_restart(step.path, scheduled)) return;
      break;
    case UndoAction::restore_backup:
      if (MoveFileExW(kv::as_wide(step.backup), kv::as_wide(step.path), MOVEFILE_REPLACE_EXISTING)) return;
      {
        const DWORD error = GetLastError();
        scheduled = MoveFileExW(kv::as_wide(step.backup), kv::as_wide(step.path),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
        SetLastError(error);
      }
      break;
    case UndoAction::remove_folder:
      // A folder that holds something now is not the run's alone.
      if (RemoveDirectoryW(kv::as_wide(step.path)) || GetLastError() == ERROR_DIR_NOT_EMPTY ||
          GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND)
        return;
      break;
  }
  log_wide(undo_failure_line(step, kv::system_error_text(GetLastError()), scheduled));
}

}  // namespace

void open_journal() { journal.open = true; }

unsigned long create_journalled_folder(const std::u16string& folder, bool* file_in_the_way) {
  std::vector<std::u16string> missing;
  if (journal.open)
    for (std::u16string level = folder; kv::is_absolute_path(level) && !kv::is_drive_root_or_shorter(level) &&
                                        !kv::path_exists(level);
         level = kv::parent_folder(level))
      missing.push_back(level);
  const DWORD error = kv::create_folder_chain(folder, file_in_the_way);
  // Outermost first: the rollback takes the newest entries first.
  for (auto it = missing.rbegin(); it != missing.rend(); ++it)
    if (kv::path_exists(*it)) journal.entries.push_back({JournalKind::created_folder, *it, {}});
  return error;
}

bool move_aside(const std::u16string& path) {
  if (!journal.open) return false;
  for (unsigned n = 0; n < kBackupNameAttempts; ++n) {
    std::u16string backup = backup_path(path, n);
    if (MoveFileExW(kv::as_wide(path), kv::as_wide(backup), 0)) {
      journal.entries.push_back({JournalKind::replaced_file, path, std::move(backup)});
      return true;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

void put_back(const std::u16string& path) {
  if (journal.entries.empty() || journal.entries.back().kind != JournalKind::replaced_file ||
      journal.entries.back().path != path)
    return;
  const JournalEntry entry = journal.entries.back();
  if (MoveFileExW(kv::as_wide(entry.backup), kv::as_wide(path), MOVEFILE_REPLACE_EXISTING)) journal.entries.pop_back();
}

void journal_created_file(const std::u16string& path) {
  if (journal.open) journal.entries.push_back({JournalKind::created_file, path, {}});
}

void journal_scheduled_file(const std::u16string& path) {
  if (journal.open) journal.entries.push_back({JournalKind::scheduled_file, path, {}});
}

void complete_journal() {
  if (!journal.open) return;
  journal.open = false;
  for (const std::u16string& backup : backups_to_delete(journal)) {
    bool scheduled = false;
    delete_now_or_at_restart(backup, scheduled);
  }
  journal.entries.clear();
}

void roll_back() {
  if (!journal.open) return;
  journal.open = false;
  log_wide(kRollingBack);
  for (const UndoStep& step : rollback_steps(journal)) undo(step);
  // Replacements waiting for the restart would bring the run's files back.
  std::set<std::u16string> scheduled;
  for (const std::u16string& path : scheduled_files(journal)) scheduled.insert(path_set_key(path));
  if (!scheduled.empty() && run.hooks.clean_pending_operations) run.hooks.clean_pending_operations(scheduled);
  if (journal.batch_ran) log_wide(kBatchesNotUndone);
  journal.entries.clear();
}

}  // namespace engine
