#include "rollback_journal.h"

#include <algorithm>

#include "paths.h"
#include "text.h"

namespace engine {

std::u16string backup_path(std::u16string_view path, unsigned number) {
  std::u16string out(path);
  out += u".tessaline-rollback";
  if (number) out += u"-" + kv::utf8_to_utf16(std::to_string(number));
  return out;
}

std::vector<UndoStep> rollback_steps(const RollbackJournal& journal) {
  std::vector<UndoStep> steps;
  std::vector<const JournalEntry*> seen;
  // The first record of a path tells what was there before the run.
  for (const JournalEntry& entry : journal.entries) {
    if (entry.kind == JournalKind::scheduled_file) continue;
    if (std::any_of(seen.begin(), seen.end(), [&](const JournalEntry* e) {
          return e->kind != JournalKind::created_folder && entry.kind != JournalKind::created_folder &&
                 kv::same_path(e->path, entry.path);
        }))
      continue;
    seen.push_back(&entry);
  }
  for (auto it = seen.rbegin(); it != seen.rend(); ++it) {
    const JournalEntry& e = **it;
    switch (e.kind) {
      case JournalKind::created_file: steps.push_back({UndoAction::delete_file, e.path, {}}); break;
      case JournalKind::replaced_file: steps.push_back({UndoAction::restore_backup, e.path, e.backup}); break;
      case JournalKind::created_folder: steps.push_back({UndoAction::remove_folder, e.path, {}}); break;
      case JournalKind::scheduled_file: break;
    }
  }
  return steps;
}

std::vector<std::u16string> scheduled_files(const RollbackJournal& journal) {
  std::vector<std::u16string> out;
  for (const JournalEntry& e : journal.entries)
    if (e.kind == JournalKind::scheduled_file) out.push_back(e.path);
  return out;
}

std::vector<std::u16string> backups_to_delete(const RollbackJournal& journal) {
  std::vector<std::u16string> out;
  for (const JournalEntry& e : journal.entries)
    if (e.kind == JournalKind::replaced_file) out.push_back(e.backup);
  return out;
}

std::u16string undo_failure_line(const UndoStep& step, std::u16string_view reason, bool scheduled) {
  std::u16string line;
  switch (step.action) {
    case UndoAction::delete_file: line = u"Could not delete " + step.path; break;
    case UndoAction::restore_backup: line = u"Could not put back " + step.path; break;
    case UndoAction::remove_folder: line = u"Could not remove folder " + step.path; break;
  }
  line += u": ";
  line += reason;
  while (!line.empty() && (line.back() == u'\n' || line.back() == u'\r')) line.pop_back();
  if (scheduled) line += u" (it is done at the next restart)";
  return line + u"\r\n";
}

}  // namespace engine
