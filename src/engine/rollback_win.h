#pragma once
// Windows only: keeping the run's journal (rollback_journal.h) as the run
// changes the disk, and carrying out its rollback or its completion.
#include <string>

#include "rollback_journal.h"

namespace engine {

// The journal of this run.
extern RollbackJournal journal;

// From here on the run's changes are journalled, and leaving the process
// before complete_journal() rolls them back.
void open_journal();

// Creates a folder and its missing parents, journalling the levels it made.
// The system error code, ERROR_SUCCESS when the folder exists afterwards.
unsigned long create_journalled_folder(const std::u16string& folder, bool* file_in_the_way = nullptr);

// Before an existing file is written over: moves it aside, so that a
// rollback can put it back. False when it cannot be moved (it is in use):
// the write goes on as before.
bool move_aside(const std::u16string& path);
// Undoes move_aside() at once, for a write that failed.
void put_back(const std::u16string& path);
void journal_created_file(const std::u16string& path);
void journal_scheduled_file(const std::u16string& path);

// The run completed: the moved-aside copies are deleted (at the next
// restart when one is still in use) and nothing is rolled back any more.
void complete_journal();

// Undoes every journalled change, newest first, logging "Rolling back..."
// and each step that failed; a file in use is handled at the next restart.
// Does nothing unless the journal is open.
void roll_back();

}  // namespace engine
