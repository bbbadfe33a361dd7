// The builder's entry on Linux.
#include <unistd.h>

#include "builder_main.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  builder::ProgramContext context;
  std::error_code ec;
  context.program = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) context.program = argv[0];
  context.error_stream_is_terminal = isatty(STDERR_FILENO) != 0;
  return builder::run_builder(args, context);
}
