// PNG encoding, for the builder: the author's pictures go into the installer
// in the form the runtime reads its own.
#include <zlib.h>

#include <cstdlib>

#include "picture.h"
#include "zlib_codec.h"

namespace setup {
namespace {

constexpr int kLevel = 9;

void put_be32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(v >> shift));
}

void put_chunk(std::vector<std::uint8_t>& png, const char (&type)[5], std::span<const std::uint8_t> data) {
  put_be32(png, std::uint32_t(data.size()));
  const std::size_t crc_start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  uLong crc = crc32(0, png.data() + crc_start, static_cast<uInt>(png.size() - crc_start));
  put_be32(png, std::uint32_t(crc));
}

int paeth(int a, int b, int c) {
  int p = a + b - c;
  int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// The row filtered with each of the five filters; the one whose bytes, read
// as signed, sum to the least is kept (the usual guess at what compresses
// best).
void filter_row(const std::uint8_t* row, const std::uint8_t* previous, std::size_t stride, int bpp,
                std::vector<std::uint8_t>& out) {
  std::vector<std::uint8_t> best, trial(stride);
  std::uint64_t best_cost = UINT64_MAX;
  int best_filter = 0;
  for (int filter = 0; filter < 5; ++filter) {
    std::uint64_t cost = 0;
    for (std::size_t i = 0; i < stride; ++i) {
      int a = i >= std::size_t(bpp) ? row[i - bpp] : 0;
      int b = previous ? previous[i] : 0;
      int c = previous && i >= std::size_t(bpp) ? previous[i - bpp] : 0;
      int predicted[] = {0, a, b, (a + b) / 2, paeth(a, b, c)};
      trial[i] = std::uint8_t(row[i] - predicted[filter]);
      cost += std::uint64_t(std::abs(int(std::int8_t(trial[i]))));
    }
    if (cost < best_cost) {
      best_cost = cost;
      best_filter = filter;
      best = trial;
    }
  }
  out.push_back(std::uint8_t(best_filter));
  out.insert(out.end(), best.begin(), best.end());
}

}  // namespace

std::vector<std::uint8_t> encode_png(const Picture& picture) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.pixels.size() != std::size_t(picture.width) * std::size_t(picture.height))
    return {};
  bool opaque = true;
  for (std::uint32_t p : picture.pixels) opaque = opaque && (p >> 24) == 0xFF;
  const int bpp = opaque ? 3 : 4;
  const std::size_t stride = std::size_t(picture.width) * bpp;

  const std::vector<std::uint32_t> straight = unpremultiplied(picture);
  std::vector<std::uint8_t> rows(stride * picture.height), filtered;
  filtered.reserve((stride + 1) * picture.height);
  for (int y = 0; y < picture.height; ++y) {
    std::uint8_t* row = &rows[stride * y];
    for (int x = 0; x < picture.width; ++x) {
      std::uint32_t p = straight[std::size_t(y) * picture.width + x];
      row[x * bpp] = std::uint8_t(p >> 16);
      row[x * bpp + 1] = std::uint8_t(p >> 8);
      row[x * bpp + 2] = std::uint8_t(p);
      if (bpp == 4) row[x * bpp + 3] = std::uint8_t(p >> 24);
    }
    filter_row(row, y ? row - stride : nullptr, stride, bpp, filtered);
  }
  std::vector<std::uint8_t> compressed = deflate_bytes(filtered, kLevel);
  if (compressed.empty()) return {};

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  put_be32(header, std::uint32_t(picture.width));
  put_be32(header, std::uint32_t(picture.height));
  header.insert(header.end(), {8, std::uint8_t(opaque ? 2 : 6), 0, 0, 0});
  put_chunk(png, "IHDR", header);
  put_chunk(png, "IDAT", compressed);
  put_chunk(png, "IEND", {});
  return png;
}

}  // namespace setup
