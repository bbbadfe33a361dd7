#pragma once
// The author's input files: reading them whole, decoding text files, and
// recognising the binary formats the installer carries (icons, bitmaps,
// sounds) so that a wrong file is refused when the product is built rather
// than when it is installed.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace builder {

// False with "cannot read PATH" (or the size limit) in `error`.
bool read_file_bytes(const std::filesystem::path& path, std::vector<std::uint8_t>& out, std::string& error,
                     std::uint64_t max_size = 0x40000000);

// Text file contents as UTF-16: a UTF-16 (LE or BE) or UTF-8 byte-order mark
// decides; without one, valid UTF-8 is UTF-8 and anything else Windows-1252.
std::u16string decode_text(std::span<const std::uint8_t> bytes);

// The first bytes of a rich-text document.
bool is_rich_text(std::span<const std::uint8_t> bytes);

// Windows icon files (.ico): a directory of at least one image whose entries
// lie within the file.
bool is_icon_file(std::span<const std::uint8_t> bytes);
// Windows bitmaps (.bmp): "BM" and a size that matches.
bool is_bitmap_file(std::span<const std::uint8_t> bytes);
// WAV sounds: a RIFF file of form WAVE.
bool is_wave_file(std::span<const std::uint8_t> bytes);

}  // namespace builder
