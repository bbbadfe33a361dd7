// Pending-operation cleanup on the machine of the run.
#include <windows.h>

#include "install_log.h"
#include "pending_cleanup.h"
#include "win_handles.h"

namespace uninstall {

void clean_pending_operations(const RunPathSet& paths, CleanupPhase phase) {
  std::vector<engine::PendingRename> pairs;
  if (!engine::read_pending_renames(pairs) || pairs.empty()) return;
  PendingCleanup cleanup = clean_pending_list(engine::pending_renames_to_strings(pairs), paths, phase);
  if (phase == CleanupPhase::installation && !cleanup.log.empty()) engine::log_wide(cleanup.log);
  for (const std::u16string& source : cleanup.sources_to_delete) {
    SetFileAttributesW(kv::as_wide(source), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(kv::as_wide(source));
  }
  if (cleanup.changed) engine::write_pending_renames(cleanup.kept);
}

}  // namespace uninstall
