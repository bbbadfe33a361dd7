// The settings stream comes from the installer's own data, which a damaged
// download or a hostile file can make anything. Whatever reads must also
// write back to a stream that reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "settings_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  setup::Settings first;
  if (setup::read_settings({data, size}, first) != 0) return 0;
  setup::WrittenSettings written = setup::write_settings(first);
  if (!written.exact()) std::abort();
  setup::Settings second;
  if (setup::read_settings(written.stream, second) != 0) std::abort();
  if (setup::write_settings(second).stream != written.stream) std::abort();
  return 0;
}
