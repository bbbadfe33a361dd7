// The rollback's plan: newest change first, one undo per path (the state
// before the run), folders after the files in them; the backups a
// completed run deletes; the failure lines.
#include <gtest/gtest.h>

#include "rollback_journal.h"

namespace {

using engine::JournalKind;
using engine::UndoAction;

TEST(Rollback, StepsUndoNewestFirstAndEachPathOnce) {
  engine::RollbackJournal journal;
  journal.entries = {
      {JournalKind::created_folder, u"C:\\P", {}},
      {JournalKind::created_folder, u"C:\\P\\bin", {}},
      {JournalKind::created_file, u"C:\\P\\bin\\a.exe", {}},
      {JournalKind::replaced_file, u"C:\\P\\old.dll", u"C:\\P\\old.dll.tessaline-rollback"},
      // Written again later in the run: the first record tells what was there.
      {JournalKind::replaced_file, u"c:\\p\\BIN\\a.exe", u"C:\\P\\bin\\a.exe.tessaline-rollback"},
      {JournalKind::replaced_file, u"C:\\P\\old.dll", u"C:\\P\\old.dll.tessaline-rollback-1"},
      // Taken back from the restart's list instead.
      {JournalKind::scheduled_file, u"C:\\P\\busy.dll", {}},
  };
  const std::vector<engine::UndoStep> steps = engine::rollback_steps(journal);
  ASSERT_EQ(steps.size(), 4u);
  EXPECT_EQ(steps[0].action, UndoAction::restore_backup);
  EXPECT_EQ(steps[0].path, u"C:\\P\\old.dll");
  EXPECT_EQ(steps[0].backup, u"C:\\P\\old.dll.tessaline-rollback");
  EXPECT_EQ(steps[1].action, UndoAction::delete_file);
  EXPECT_EQ(steps[1].path, u"C:\\P\\bin\\a.exe");
  EXPECT_EQ(steps[2].action, UndoAction::remove_folder);
  EXPECT_EQ(steps[2].path, u"C:\\P\\bin");
  EXPECT_EQ(steps[3].path, u"C:\\P");

  // Every backup goes when the run completes, the later ones too.
  EXPECT_EQ(engine::backups_to_delete(journal),
            (std::vector<std::u16string>{u"C:\\P\\old.dll.tessaline-rollback", u"C:\\P\\bin\\a.exe.tessaline-rollback",
                                         u"C:\\P\\old.dll.tessaline-rollback-1"}));
  EXPECT_EQ(engine::scheduled_files(journal), std::vector<std::u16string>{u"C:\\P\\busy.dll"});
  EXPECT_TRUE(engine::rollback_steps({}).empty());
}

TEST(Rollback, NamesAndLines) {
  EXPECT_EQ(engine::backup_path(u"C:\\P\\a.exe", 0), u"C:\\P\\a.exe.tessaline-rollback");
  EXPECT_EQ(engine::backup_path(u"C:\\P\\a.exe", 2), u"C:\\P\\a.exe.tessaline-rollback-2");
  EXPECT_EQ(engine::undo_failure_line({UndoAction::delete_file, u"C:\\P\\a.exe", {}}, u"Access is denied.\r\n", true),
            u"Could not delete C:\\P\\a.exe: Access is denied. (it is done at the next restart)\r\n");
  EXPECT_EQ(engine::undo_failure_line({UndoAction::restore_backup, u"C:\\P\\b", u"C:\\P\\b.x"}, u"In use.", false),
            u"Could not put back C:\\P\\b: In use.\r\n");
}

}  // namespace
