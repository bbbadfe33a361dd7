#pragma once
// The installation log on the machine of the run: the run log's temporary
// file, the writing of Install.log at the end of the run and showing it.
#include <string>
#include <string_view>

#include "install_log.h"

namespace engine {

// Creates the run log (a new file with a unique name in %Temp%) and makes it
// the target of every log operation; the exit routine's hook closes and
// deletes it. False when the file cannot be made: the log is then lost.
bool open_run_log();
// Closes and deletes the run log's file (the exit routine's hook).
void discard_run_log();

// Ends the installation's log: the prompts of the end of the run (only with
// prompts allowed and not automatic), then Install.log in the uninstall
// folder gets this run's section. `failures` is the error report, which
// holds the crash text when the crash report calls this without prompts.
void finish_log(std::string_view failures, bool reinstall, bool prompts_allowed);

// The log of a run that was rolled back, with its failures: in the
// temporary folder as "<product> Install.log", since the installation
// folder is gone.
void keep_run_log_in_temp(bool reinstall);

// Opens Install.log for the user: the shell's "open", else notepad.
void show_log();

// Install.log of this run: the uninstall folder joined with "Install.log".
std::u16string install_log_path();

}  // namespace engine
