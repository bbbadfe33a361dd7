// The builder reads the version resource of the author's files; a damaged or
// hostile file must give no version, never a crash.
#include <cstddef>
#include <cstdint>
#include <span>

#include "version_resource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)builder::file_version_text(std::span(data, size));
  return 0;
}
