#pragma once
// tessaline-build: the whole command, apart from how the platform hands over
// the arguments (entry_posix.cpp, entry_win.cpp).
#include <filesystem>
#include <string>
#include <vector>

namespace builder {

struct ProgramContext {
  std::filesystem::path program;  // this program's file, to find the stub beside it
  bool error_stream_is_terminal = false;
};

// The arguments after the program's name, as UTF-8. Returns the exit code:
// 0 on success, 1 when the build failed, 2 for a command line it cannot use.
int run_builder(const std::vector<std::string>& args, const ProgramContext& context);

}  // namespace builder
