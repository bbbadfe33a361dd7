#pragma once
// The run modes and overrides taken from the command line, consulted by
// every part of a run.
#include <string>

#include "command_line.h"

namespace setup {

struct RunModes {
  bool automatic = false;  // no questions, every default taken
  bool silent = false;     // no window at all; implies automatic
  bool minimised = false;  // background window created minimised
  bool uninstall = false;
  std::u16string uninstall_name;
  std::u16string folder_override;
  std::u16string name_override;
  std::u16string run_after;
  std::string extra_batch[3];
};

// Takes the parsed switches into the run modes; silent also makes the whole
// program windowless.
void apply_command_line(const CommandLine& line);

}  // namespace setup
