#include "background_bitmap_layout.h"

#include <cstdlib>

namespace wizard {
namespace {

std::uint32_t le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
std::uint16_t le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }

constexpr std::size_t kFileHeader = 14;
constexpr int kLargestSide = 32768;

}  // namespace

std::optional<Rect> background_bitmap_rect(int cw, int ch, int bw, int bh, std::uint32_t mode, int percent) {
  if (percent <= 0 || bw <= 0 || bh <= 0 || cw <= 0 || ch <= 0) return std::nullopt;
  if (percent > 100) percent = 100;
  if (mode == static_cast<std::uint32_t>(StretchMode::tile)) return Rect{0, 0, bw, bh};
  // The window's rectangle at the chosen percentage, centred.
  const int box_w = int(std::int64_t(cw) * percent / 100), box_h = int(std::int64_t(ch) * percent / 100);
  int w = box_w, h = box_h;
  if (mode == static_cast<std::uint32_t>(StretchMode::proportional)) {
    if (std::int64_t(bw) * box_h > std::int64_t(bh) * box_w) {
      h = int(std::int64_t(bh) * box_w / bw);
    } else {
      w = int(std::int64_t(bw) * box_h / bh);
    }
  } else if (mode == static_cast<std::uint32_t>(StretchMode::natural)) {
    w = bw;
    h = bh;
  }
  return Rect{(cw - w) / 2, (ch - h) / 2, w, h};
}

std::optional<BmpParts> bmp_parts(std::span<const std::uint8_t> file) {
  if (file.size() < kFileHeader + 40 || file[0] != 'B' || file[1] != 'M') return std::nullopt;
  const std::uint8_t* info = file.data() + kFileHeader;
  const std::uint32_t info_size = le32(info);
  const std::uint32_t bits = le32(file.data() + 10);
  const std::int32_t width = std::int32_t(le32(info + 4));
  const std::int32_t height = std::int32_t(le32(info + 8));
  const std::uint16_t depth = le16(info + 14);
  const std::uint32_t compression = le32(info + 16);
  if (info_size < 40 || info_size > file.size() - kFileHeader) return std::nullopt;
  if (width <= 0 || width > kLargestSide || height == 0 || std::abs(height) > kLargestSide) return std::nullopt;
  if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32) return std::nullopt;
  if (bits < kFileHeader + info_size || bits >= file.size()) return std::nullopt;
  // The colour table (or the bit-field masks) lies between the header and
  // the pixels.
  std::uint64_t colours = le32(info + 32);
  if (colours == 0 && depth <= 8) colours = 1u << depth;
  std::uint64_t table = colours * 4 + (compression == 3 && info_size == 40 ? 12 : 0);
  if (colours > 256 && depth <= 8) return std::nullopt;
  if (table > bits - kFileHeader - info_size) return std::nullopt;
  // Plain rows (or bit fields) only, and all of them: a run-length coded
  // file could make the system read past its end.
  if (compression != 0 && compression != 3) return std::nullopt;
  const std::uint64_t stride = ((std::uint64_t(width) * depth + 31) / 32) * 4;
  if (stride * std::uint64_t(std::abs(height)) > file.size() - bits) return std::nullopt;
  return BmpParts{kFileHeader, bits, width, std::abs(height)};
}

}  // namespace wizard
