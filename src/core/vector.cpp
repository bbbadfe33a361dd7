#include "vector.h"

#include <string>

#include "fatal.h"

namespace kv {

void vector_index_error(std::string_view type, long long index, long long max_index) {
  std::string name(type);
  fatal("Vector<%s>[%d]\r\nmax_index = %d", name.c_str(), int(index), int(max_index));
}

}  // namespace kv
