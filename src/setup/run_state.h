#pragma once
// The process-wide state of a run, created empty at start and kept until the
// exit routine ends the process: what the executable carries, what the
// command line chose, the texts, what the driver learns on its way, and the
// hooks through which the later layers (the wizard's windows) take part.
#include "driver_state.h"
#include "exit_routine.h"
#include "installation_data.h"
#include "run_modes.h"
#include "run_status.h"
#include "settings.h"
#include "string_table.h"

namespace setup {

struct RunState {
  InstallationData installation;  // the executable's own installation data
  Settings settings;              // read from it
  RunModes modes;                 // from the command line and the settings
  StringTable strings;            // the settings' texts, in the current language
  Placeholders placeholders;      // "<product>", "<description>", "<os>"
  DriverState driver;             // what the installation driver found and chose
  ExitHooks exit_hooks;
  StatusHooks status_hooks;
  // ProductFlags2 0x200000 of the installation, or of the product an
  // uninstall run removes: the exit codes deployment tools understand.
  bool deployment_exit_codes = false;
};

extern RunState run;

}  // namespace setup
