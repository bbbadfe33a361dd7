// The wizard's pictures: the PNG decoder on its own artwork and on every row
// filter, and smooth scaling.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "picture.h"
#include "zlib_codec.h"

namespace {

using setup::Picture;

std::vector<std::uint8_t> read_art(const std::string& name) {
  std::ifstream in(std::string(TESS_ART_DIR) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void put_be32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(v >> shift));
}

void chunk(std::vector<std::uint8_t>& png, const char* type, const std::vector<std::uint8_t>& data) {
  put_be32(png, std::uint32_t(data.size()));
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  put_be32(png, 0);  // the decoder does not check the CRC
}

int paeth(int a, int b, int c) {
  int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : (pb <= pc ? b : c);
}

// An RGBA PNG of the given pixels (bytes R G B A per pixel, rows top-down),
// row y filtered with filters[y % filters.size()].
std::vector<std::uint8_t> png_of(int width, int height, const std::vector<std::uint8_t>& rgba,
                                 const std::vector<int>& filters, int colour_type = 6, int depth = 8) {
  const std::size_t stride = std::size_t(width) * 4;
  std::vector<std::uint8_t> raw;
  for (int y = 0; y < height; ++y) {
    int f = filters[y % filters.size()];
    raw.push_back(std::uint8_t(f));
    for (std::size_t i = 0; i < stride; ++i) {
      int x = rgba[y * stride + i];
      int a = i >= 4 ? rgba[y * stride + i - 4] : 0;
      int b = y > 0 ? rgba[(y - 1) * stride + i] : 0;
      int c = y > 0 && i >= 4 ? rgba[(y - 1) * stride + i - 4] : 0;
      int predicted[] = {0, a, b, (a + b) / 2, paeth(a, b, c)};
      raw.push_back(std::uint8_t(x - predicted[f]));
    }
  }
  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  put_be32(header, std::uint32_t(width));
  put_be32(header, std::uint32_t(height));
  header.insert(header.end(), {std::uint8_t(depth), std::uint8_t(colour_type), 0, 0, 0});
  chunk(png, "IHDR", header);
  std::vector<std::uint8_t> z = setup::deflate_bytes(raw, 9);
  // Split over two IDAT chunks, as encoders may.
  chunk(png, "IDAT", std::vector<std::uint8_t>(z.begin(), z.begin() + z.size() / 2));
  chunk(png, "IDAT", std::vector<std::uint8_t>(z.begin() + z.size() / 2, z.end()));
  chunk(png, "IEND", {});
  return png;
}

std::vector<std::uint8_t> sample_rgba(int width, int height) {
  std::vector<std::uint8_t> rgba;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      rgba.insert(rgba.end(), {std::uint8_t(x * 37 + y), std::uint8_t(y * 53), std::uint8_t(x ^ y * 7),
                               std::uint8_t(x == 0 ? 0 : 255)});
  return rgba;
}

TEST(Picture, EveryRowFilterDecodes) {
  const int w = 5, h = 6;
  std::vector<std::uint8_t> rgba = sample_rgba(w, h);
  auto picture = setup::decode_png(png_of(w, h, rgba, {0, 1, 2, 3, 4, 4}));
  ASSERT_TRUE(picture);
  ASSERT_EQ(picture->width, w);
  ASSERT_EQ(picture->height, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* p = &rgba[(y * w + x) * 4];
      std::uint32_t expected = x == 0 ? 0u  // fully transparent: premultiplied to nothing
                                      : (0xFFu << 24) | (p[0] << 16) | (p[1] << 8) | p[2];
      EXPECT_EQ(picture->pixels[y * w + x], expected) << x << "," << y;
    }
  }
}

// A 2 x 1 palette PNG: opaque teal, then a half-transparent white.
std::vector<std::uint8_t> palette_png(std::uint8_t second_index) {
  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  put_be32(header, 2);
  put_be32(header, 1);
  header.insert(header.end(), {8, 3, 0, 0, 0});
  chunk(png, "IHDR", header);
  chunk(png, "PLTE", {0x10, 0x70, 0x7A, 0xFF, 0xFF, 0xFF});
  chunk(png, "tRNS", {0xFF, 0x80});
  chunk(png, "IDAT", setup::deflate_bytes(std::vector<std::uint8_t>{0, 0, second_index}, 9));
  chunk(png, "IEND", {});
  return png;
}

TEST(Picture, PaletteWithTransparency) {
  auto picture = setup::decode_png(palette_png(1));
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->pixels, (std::vector<std::uint32_t>{0xFF10707Au, 0x80808080u}));
  EXPECT_FALSE(setup::decode_png(palette_png(2)));  // beyond the palette
}

TEST(Picture, DamagedOrForeignPngsAreRefused) {
  std::vector<std::uint8_t> good = png_of(4, 4, sample_rgba(4, 4), {1});
  ASSERT_TRUE(setup::decode_png(good));
  EXPECT_FALSE(setup::decode_png(std::vector<std::uint8_t>(good.begin(), good.end() - 20)));  // cut
  EXPECT_FALSE(setup::decode_png(png_of(4, 4, sample_rgba(4, 4), {5})));                     // no such filter
  EXPECT_FALSE(setup::decode_png(png_of(4, 4, sample_rgba(4, 4), {0}, 6, 16)));               // 16 bits
  EXPECT_FALSE(setup::decode_png(png_of(4, 4, sample_rgba(4, 4), {0}, 4)));                   // grey with alpha
  std::vector<std::uint8_t> bad_length = good;
  bad_length[8] = 0x7F;  // the first chunk claims 2 GB
  EXPECT_FALSE(setup::decode_png(bad_length));
  EXPECT_FALSE(setup::decode_png({}));
}

TEST(Picture, TheWizardsArtworkDecodes) {
  struct Art {
    const char* name;
    int width, height;
    bool transparent_corner;
  } art[] = {
      {"side.png", 212, 424, false},   {"header.png", 600, 64, false}, {"forward.png", 64, 64, true},
      {"cancel.png", 64, 64, true},    {"browse.png", 64, 64, true},   {"retry.png", 64, 64, true},
  };
  for (const Art& a : art) {
    auto picture = setup::decode_png(read_art(a.name));
    ASSERT_TRUE(picture) << a.name;
    EXPECT_EQ(picture->width, a.width) << a.name;
    EXPECT_EQ(picture->height, a.height) << a.name;
    EXPECT_EQ(picture->pixels[0] >> 24, a.transparent_corner ? 0u : 255u) << a.name;
  }
}

Picture solid(int w, int h, std::uint32_t pixel) { return {w, h, std::vector<std::uint32_t>(std::size_t(w) * h, pixel)}; }

TEST(Picture, ScalingKeepsAPlainColourPlain) {
  const std::uint32_t teal = 0xFF10707Au;
  for (auto [w, h] : {std::pair{10, 10}, std::pair{300, 500}, std::pair{1, 1}, std::pair{64, 7}}) {
    Picture scaled = setup::resample(solid(64, 64, teal), w, h);
    ASSERT_EQ(scaled.pixels.size(), std::size_t(w) * h);
    for (std::uint32_t p : scaled.pixels) ASSERT_EQ(p, teal) << w << "x" << h;
  }
}

TEST(Picture, ReducingAveragesAndEnlargingBlends) {
  Picture two{2, 1, {0xFF000000u, 0xFFFFFFFFu}};  // black, white
  Picture one = setup::resample(two, 1, 1);
  EXPECT_EQ(one.pixels[0], 0xFF808080u);
  // Enlarged four times: no hard step from black to white.
  Picture wide = setup::resample(two, 8, 1);
  int steps = 0;
  for (int x = 1; x < 8; ++x) {
    int left = wide.pixels[x - 1] & 0xFF, right = wide.pixels[x] & 0xFF;
    EXPECT_LE(left, right);
    steps += right > left;
    EXPECT_LE(right - left, 96);
  }
  EXPECT_GE(steps, 3);
  EXPECT_EQ(wide.pixels[0], 0xFF000000u);
  EXPECT_EQ(wide.pixels[7], 0xFFFFFFFFu);
}

TEST(Picture, CoverCutsTheOverflowEvenly) {
  // Four columns A B C D, two rows: covering a square keeps B and C.
  const std::uint32_t a = 0xFF0000FFu, b = 0xFF00FF00u, c = 0xFFFF0000u, d = 0xFFFFFFFFu;
  Picture columns{4, 2, {a, b, c, d, a, b, c, d}};
  Picture square = setup::cover(columns, 2, 2);
  EXPECT_EQ(square.pixels, (std::vector<std::uint32_t>{b, c, b, c}));
  // A wide target keeps the middle rows of a tall source.
  Picture rows{2, 4, {a, a, b, b, c, c, d, d}};
  EXPECT_EQ(setup::cover(rows, 2, 2).pixels, (std::vector<std::uint32_t>{b, b, c, c}));
}

TEST(Picture, IconsWantStraightAlpha) {
  Picture half{1, 1, {0x80402010u}};  // premultiplied: half-transparent
  EXPECT_EQ(setup::unpremultiplied(half)[0], 0x807F3F1Fu);
  EXPECT_EQ(setup::unpremultiplied(Picture{1, 1, {0}})[0], 0u);
}

}  // namespace
