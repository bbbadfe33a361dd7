#pragma once
// The command line of tessaline-build.
#include <filesystem>
#include <span>
#include <string>

#include "assemble.h"

namespace builder {

struct BuildCommand {
  std::filesystem::path description;
  std::filesystem::path output;
  std::filesystem::path stub;  // empty: $TESSALINE_STUB, else beside the builder
  BuildOptions options;
  bool verify = false;
  bool quiet = false;
  bool help = false;
  bool version = false;
  std::filesystem::path manifests;  // empty: no package-manager manifests
  std::string installer_url;        // where the manifests say the installer is downloaded
};

struct ParsedCommand {
  BuildCommand command;
  std::string error;  // empty when the command line is usable
};

// The arguments after the program's name, as UTF-8.
ParsedCommand parse_build_command(std::span<const std::string> args);

extern const char kBuildUsage[];

}  // namespace builder
