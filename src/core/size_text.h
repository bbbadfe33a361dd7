#pragma once
// Sizes as people read them: "512 B", "12.3 MB", "1.5 GB".
#include <cstdint>
#include <string>

namespace kv {

// Binary units (1 KB = 1024 bytes); one decimal below 100 of a unit, none
// above; a trailing ".0" is dropped.
std::u16string size_text(std::uint64_t bytes);

}  // namespace kv
