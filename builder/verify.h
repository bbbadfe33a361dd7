#pragma once
// Reading a finished installer back the way the runtime does (its own
// readers: find_section, open_section, read_settings, verify_archive,
// ArchiveReader) and comparing everything with the product it was built
// from, byte for byte.
#include <cstdint>
#include <span>
#include <string>

#include "assemble.h"

namespace builder {

// Empty when the installer holds exactly the product; otherwise what
// differs. `stub` is the runtime stub the installer was made from: an
// installer whose uninstaller image is made without the section must give
// that stub back.
std::string verify_installer(std::span<const std::uint8_t> installer, const Product& product,
                             std::span<const std::uint8_t> stub);

}  // namespace builder
