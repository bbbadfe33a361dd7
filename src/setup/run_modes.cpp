#include "run_modes.h"

#include "kv_core.h"
#include "run_state.h"

namespace setup {

void apply_command_line(const CommandLine& line) {
  run.modes.automatic = line.automatic;
  run.modes.silent = line.silent;
  run.modes.minimised = line.minimised;
  run.modes.uninstall = line.uninstall;
  run.modes.uninstall_name = line.uninstall_name;
  run.modes.folder_override = line.folder_override;
  run.modes.name_override = line.name_override;
  run.modes.run_after = line.run_after;
  for (int i = 0; i < 3; ++i) run.modes.extra_batch[i] = line.extra_batch[i];
  if (run.modes.silent) kv::silent_switch.window_creation_disallowed = true;
}

}  // namespace setup
