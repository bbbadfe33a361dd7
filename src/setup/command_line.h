#pragma once
// The runtime's command line: switches, run modes and overrides.
#include <string>
#include <vector>

namespace setup {

enum ExtraBatch { kPreInstallBatch = 0, kPostInstallBatch = 1, kExitBatch = 2 };

struct CommandLine {
  bool automatic = false;
  bool silent = false;
  bool minimised = false;
  bool uninstall = false;
  std::u16string uninstall_name;
  std::u16string folder_override;
  std::u16string name_override;
  std::u16string run_after;
  std::string extra_batch[3];  // system code page, already unescaped
  // Not empty: the line is bad and the usage message must be raised with
  // this text. The switches before the bad one have been applied.
  std::u16string usage_reason;
};

// Tokens of a command line; double-quoted stretches stay in their token with
// their quotes. The program's own path is the first token.
std::vector<std::u16string> split_command_line(std::u16string_view line);

// Parses the process's whole command line (program path first).
CommandLine parse_command_line(std::u16string_view line);

// Only this many switches after the program path are looked at.
inline constexpr int kMaxSwitches = 19;

// The usage message with `reason` and the program's file name filled in.
std::string usage_text(std::string_view reason, std::string_view program_name);

}  // namespace setup
