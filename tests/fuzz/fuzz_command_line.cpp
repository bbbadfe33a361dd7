// The command line comes from whoever starts the program.
#include <cstddef>
#include <cstdint>
#include <string>

#include "command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string line(reinterpret_cast<const char16_t*>(data), size / 2);
  setup::CommandLine parsed = setup::parse_command_line(line);
  if (!parsed.usage_reason.empty()) (void)setup::usage_text("x", "setup.exe");
  return 0;
}
