// The author's icon file becomes the uninstaller's icon resources: a damaged
// one must be refused, never read beyond its bytes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "icon_resources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto resources = integration::icon_resources(std::span(data, size));
  if (resources) {
    std::size_t sum = 0;
    for (auto image : resources->images) sum += image.empty() ? 0 : image.front() + image.back();
    sum += resources->group.size();
    (void)sum;
  }
  return 0;
}
