#pragma once
// What an installation run has changed on the disk so far, kept while it
// goes, so that a run that ends part-way (Cancel, a damaged installer, a
// fatal error, a crash) can leave the machine as it found it. Files about to
// be replaced are moved aside in their own folder (same volume: no copy) and
// moved back; files and folders the run created are deleted. A completed run
// deletes the moved-aside copies instead.
#include <string>
#include <string_view>
#include <vector>

namespace engine {

enum class JournalKind {
  created_file,    // deleted on rollback
  replaced_file,   // `backup` moved back over it on rollback, deleted when the run completes
  created_folder,  // removed on rollback when empty
  scheduled_file,  // its replacement at the next restart is taken back on rollback
};

struct JournalEntry {
  JournalKind kind = JournalKind::created_file;
  std::u16string path;
  std::u16string backup;  // replaced_file only
};

struct RollbackJournal {
  bool open = false;        // from the run's first change until it completes
  bool batch_ran = false;   // a batch's effects cannot be taken back
  std::vector<JournalEntry> entries;
};

// The name a replaced file is moved aside to: beside it, hidden from a
// casual look by its ending, numbered so that several runs never collide.
std::u16string backup_path(std::u16string_view path, unsigned number);

enum class UndoAction { delete_file, restore_backup, remove_folder };
struct UndoStep {
  UndoAction action = UndoAction::delete_file;
  std::u16string path;
  std::u16string backup;
};

// The steps of a rollback, newest change first, so that a folder's files go
// before the folder. A path written twice is undone once, by its first
// record (the state before the run).
std::vector<UndoStep> rollback_steps(const RollbackJournal& journal);

// The files whose replacement at the next restart a rollback takes back.
std::vector<std::u16string> scheduled_files(const RollbackJournal& journal);

// The backups a completed run deletes.
std::vector<std::u16string> backups_to_delete(const RollbackJournal& journal);

// The log's lines for a rollback.
inline constexpr std::u16string_view kRollingBack = u"Rolling back...\r\n";
inline constexpr std::u16string_view kRolledBack = u"Installation rolled back";
inline constexpr std::u16string_view kBatchesNotUndone =
    u"The batches this installation ran cannot be undone.\r\n";
// A step that failed: "Could not delete <path>: <reason>", and when it
// could at least be scheduled, that it happens at the next restart.
std::u16string undo_failure_line(const UndoStep& step, std::u16string_view reason, bool scheduled);

}  // namespace engine
