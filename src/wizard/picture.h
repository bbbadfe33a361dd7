#pragma once
// Pictures in memory: the wizard's PNG artwork decoded, and smooth scaling
// for every size a page or a screen's DPI asks for.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace wizard {

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

// Area-averaged when reducing, bilinear when enlarging.
Picture resample(const Picture& source, int width, int height);
// Scaled without distortion to cover the size, the overflow cut off evenly
// on both sides.
Picture cover(const Picture& source, int width, int height);

// Straight (not premultiplied) alpha, as icons want their pixels.
std::vector<std::uint32_t> unpremultiplied(const Picture& picture);

}  // namespace wizard
