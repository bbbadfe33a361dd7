#pragma once
// Running the author's command lists (Windows only): SETUPBAT.BAT is written
// to the installation folder (else %Temp%), run by the command interpreter
// while the windows of the run stay responsive, its output captured into the
// log when the batch has a title, and deleted again.
#include <string>
#include <string_view>

namespace integration {

// commands: code page 1252, lines separated by line ends. Silent runs are
// always hidden. With a title the log gets "Running <title>..." and the
// batch's output. True when the batch was started (or there was nothing to
// run); the batch's own exit code is not examined.
bool run_batch(std::string_view commands, bool hidden, std::string_view title = {});

// The command interpreter: the expanded ComSpec, else cmd.exe in the 32-bit
// system folder (command.com in the Windows folder of the 9x systems).
std::u16string command_interpreter_path();

}  // namespace integration
