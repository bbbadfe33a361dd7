// The builder rewrites the resources of whatever stub it is given: the tree
// is read, and written anew with a picture replaced, within the file's bytes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "pe_resources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> file(data, size);
  std::vector<setup::Resource> resources;
  std::string error;
  if (!setup::read_resources(file, resources, error)) return 0;
  std::size_t sum = 0;
  for (const setup::Resource& r : resources) sum += r.data.empty() ? 0 : r.data.front() + r.data.back();
  (void)sum;
  static const std::uint8_t kPicture[4096] = {0x89, 'P', 'N', 'G'};
  setup::Resource picture;
  picture.type.text = u"PNG";
  picture.name.id = 2;
  picture.data = kPicture;
  std::vector<std::uint8_t> copy(file.begin(), file.end());
  if (setup::replace_resources(copy, std::span(&picture, 1), error)) {
    if (!setup::read_resources(copy, resources, error)) __builtin_trap();  // what was written reads back
  }
  return 0;
}
