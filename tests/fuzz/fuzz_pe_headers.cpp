// The executable's own headers may be damaged like any download.
#include <cstddef>
#include <cstdint>
#include <span>

#include "pe_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)setup::find_section(std::span(data, size));
  return 0;
}
