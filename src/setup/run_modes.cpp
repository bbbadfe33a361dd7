#include "run_modes.h"

#include "kv_core.h"

namespace setup {

RunModes modes;

void apply_command_line(const CommandLine& line) {
  modes.automatic = line.automatic;
  modes.silent = line.silent;
  modes.minimised = line.minimised;
  modes.uninstall = line.uninstall;
  modes.uninstall_name = line.uninstall_name;
  modes.folder_override = line.folder_override;
  modes.name_override = line.name_override;
  modes.run_after = line.run_after;
  for (int i = 0; i < 3; ++i) modes.extra_batch[i] = line.extra_batch[i];
  if (modes.silent) kv::silent_switch.window_creation_disallowed = true;
}

}  // namespace setup
