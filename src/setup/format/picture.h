#pragma once
// Pictures in memory: the wizard's PNG artwork and the author's BMP and PNG
// files decoded, smooth scaling for every size a page or a screen's DPI asks
// for, and PNG encoding for the builder (picture_writer.cpp).
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace setup {

// Top-down rows of premultiplied pixels, 0xAARRGGBB (the byte order of a
// 32-bit DIB section).
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  bool operator==(const Picture&) const = default;
};

// 8-bit RGB, RGBA or palette (with its transparency), not interlaced: the
// forms scripts/wizard-art writes. Anything else, and damaged data, gives
// nothing.
std::optional<Picture> decode_png(std::span<const std::uint8_t> file);

// The largest width or height a PNG picture may have.
inline constexpr int kLargestPictureSide = 8192;

// The parts of a BMP file: where its header and pixels start. Nothing when
// the file is too short for what its headers announce, or its rows are
// run-length coded.
struct BmpParts {
  std::size_t info_offset = 0;  // BITMAPINFOHEADER
  std::size_t bits_offset = 0;
  int width = 0;
  int height = 0;  // positive, whatever the row order
  bool top_down = false;
  bool operator==(const BmpParts&) const = default;
};
std::optional<BmpParts> bmp_parts(std::span<const std::uint8_t> file);

// A 24-bit or 32-bit uncompressed BMP (bit fields only in the usual
// positions). A 32-bit file whose alpha bytes are all zero is opaque, as the
// system draws it. Anything else, and damaged data, gives nothing.
std::optional<Picture> decode_bmp(std::span<const std::uint8_t> file);

// The author's picture file, by its first bytes: a BMP or PNG decoded, or
// what is wrong with it ("not a BMP or PNG image", "too large: W x H pixels,
// at most 8192 x 8192", "a damaged or unsupported PNG image", ...).
struct PictureFile {
  std::optional<Picture> picture;
  std::string problem;
};
PictureFile read_picture_file(std::span<const std::uint8_t> file);

// A PNG file of the picture: RGB when it is opaque, else RGBA, 8 bits, each
// row with the filter that suits it best, compressed at level 9. The same
// picture always gives the same bytes.
std::vector<std::uint8_t> encode_png(const Picture& picture);

// Area-averaged when reducing, bilinear when enlarging.
Picture resample(const Picture& source, int width, int height);
// Scaled without distortion to cover the size, the overflow cut off evenly
// on both sides.
Picture cover(const Picture& source, int width, int height);

// Straight (not premultiplied) alpha, as icons want their pixels.
std::vector<std::uint32_t> unpremultiplied(const Picture& picture);

}  // namespace setup
