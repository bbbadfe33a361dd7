#pragma once
// The "FileVersion" text of a Windows executable's version resource, read
// straight from the file's bytes (32-bit and 64-bit images). The installer
// compares it with the version of a file already on the disk, so it is
// normalised the same way: commas become full stops (blanks after them are
// dropped, which the comparison ignores anyway), and blanks, tabs and line
// ends around it are removed.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace builder {

// Nothing when the bytes are no PE image or carry no such text. Never reads
// outside `file`.
std::optional<std::u16string> file_version_text(std::span<const std::uint8_t> file);

}  // namespace builder
