#pragma once
// Pending-operation cleanup: takes out of the system's list of file
// operations waiting for the next restart every entry that would undo what
// this run just did: a pending replacement of a file the run has just
// deleted (or written), or a pending deletion of it.
#include <set>
#include <string>
#include <vector>

#include "conditional_deletion.h"
#include "pending_renames.h"

namespace uninstall {

// The paths a run deleted (uninstallation) or wrote (installation), ASCII
// capitals lowered.
using RunPathSet = std::set<std::u16string>;

struct PendingCleanup {
  std::vector<engine::PendingRename> kept;
  // The temporary files that would have replaced deleted files.
  std::vector<std::u16string> sources_to_delete;
  // Lines of the installation's log, in order.
  std::u16string log;
  bool changed = false;
};

// The decisions over the list as the registry holds it (an odd last string
// is a source with an empty target). A move whose target is in the set goes
// and its source is deleted; a deletion whose source is in the set, or that
// has no source, goes. Paths compare without their leading "\", "?" and "!"
// characters.
PendingCleanup clean_pending_list(const std::vector<std::u16string>& strings, const RunPathSet& paths,
                                  CleanupPhase phase);

// Windows only: reads "PendingFileRenameOperations", deletes the sources of
// the removed moves, writes the list back when it changed and, during the
// installation, logs what it removed. A list that cannot be read is left
// alone.
void clean_pending_operations(const RunPathSet& paths, CleanupPhase phase);

}  // namespace uninstall
