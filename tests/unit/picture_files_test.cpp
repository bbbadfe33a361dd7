// The author's picture files: BMP and PNG read (fixtures written by another
// encoder), scaled against a reference scaled by another program, PNG written
// and read back, and the files refused with the reason.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "picture.h"

namespace {

using setup::Picture;
using Bytes = std::vector<std::uint8_t>;

Bytes fixture(const std::string& name) {
  std::ifstream in(std::string(TESS_PICTURE_FIXTURES) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Picture read(const std::string& name) {
  setup::PictureFile file = setup::read_picture_file(fixture(name));
  EXPECT_TRUE(file.picture) << name << ": " << file.problem;
  return file.picture.value_or(Picture{});
}

int channel(std::uint32_t p, int c) { return int((p >> (8 * c)) & 0xFF); }

// The largest and the mean difference of any colour channel.
struct Difference {
  int largest = 0;
  double mean = 0;
};
Difference difference(const Picture& a, const Picture& b) {
  Difference d;
  if (a.width != b.width || a.height != b.height) return {255, 255};
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i)
    for (int c = 0; c < 4; ++c) {
      int diff = std::abs(channel(a.pixels[i], c) - channel(b.pixels[i], c));
      d.largest = std::max(d.largest, diff);
      sum += diff;
    }
  d.mean = double(sum) / (a.pixels.size() * 4.0);
  return d;
}

TEST(PictureFiles, BmpAndPngOfTheSamePictureDecodeAlike) {
  Picture bmp = read("field.bmp"), png = read("field.png");
  ASSERT_EQ(bmp.width, 53);
  ASSERT_EQ(bmp.height, 106);
  EXPECT_EQ(bmp, png);
  // Rows bottom-up in the BMP: the top row is the field's red ramp at green 30.
  EXPECT_EQ(channel(bmp.pixels[0], 1), 30);
  EXPECT_EQ(channel(bmp.pixels[std::size_t(105) * 53], 1), 210);
  EXPECT_EQ(bmp.pixels[0] >> 24, 0xFFu);
}

TEST(PictureFiles, EnlargedSmoothlyCloseToAReferenceScaledElsewhere) {
  Picture scaled = setup::resample(read("field.bmp"), 212, 424);
  Difference d = difference(scaled, read("field-212x424.png"));
  // The two scalers treat the edges a little differently.
  EXPECT_LE(d.mean, 1.5);
  EXPECT_LE(d.largest, 24);
}

TEST(PictureFiles, ThirtyTwoBitBmpKeepsItsAlphaLikeThePng) {
  Picture bmp = read("squares.bmp"), png = read("squares.png");
  EXPECT_EQ(bmp, png);
  EXPECT_EQ(bmp.pixels[0], 0u);                 // the clear top row
  EXPECT_EQ(bmp.pixels[4 * 64] >> 24, 128u);    // the stripe, premultiplied
  EXPECT_EQ(bmp.pixels[2 * 64] >> 24, 255u);
}

TEST(PictureFiles, ThirtyTwoBitBmpWithoutAlphaIsOpaque) {
  Bytes bmp = fixture("squares.bmp");
  for (std::size_t i = 54 + 3; i < bmp.size(); i += 4) bmp[i] = 0;
  auto picture = setup::decode_bmp(bmp);
  ASSERT_TRUE(picture);
  for (std::uint32_t p : picture->pixels) ASSERT_EQ(p >> 24, 0xFFu);
}

TEST(PictureFiles, WrittenPngReadsBackAndIsTheSameEveryTime) {
  for (const char* name : {"field.png", "squares.png"}) {
    Picture picture = read(name);
    Bytes png = setup::encode_png(picture);
    EXPECT_EQ(png, setup::encode_png(picture)) << name;
    auto back = setup::decode_png(png);
    ASSERT_TRUE(back) << name;
    // Premultiplied and back loses at most a step where alpha is below 255.
    Difference d = difference(*back, picture);
    EXPECT_LE(d.largest, 1) << name;
    // Opaque pictures are stored without alpha (colour type 2), exactly.
    if (std::string(name) == "field.png") {
      EXPECT_EQ(png[25], 2);
      EXPECT_EQ(*back, picture);
    } else {
      EXPECT_EQ(png[25], 6);
    }
  }
}

TEST(PictureFiles, WrittenPngCarriesTheRightCrcs) {
  Bytes png = setup::encode_png(read("field.png"));
  // Walk the chunks and check each CRC with a bytewise CRC-32 of its own.
  auto crc = [](const std::uint8_t* p, std::size_t n) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
      c ^= p[i];
      for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
  };
  auto be32 = [&](std::size_t at) {
    return std::uint32_t(png[at]) << 24 | std::uint32_t(png[at + 1]) << 16 | std::uint32_t(png[at + 2]) << 8 | png[at + 3];
  };
  std::size_t at = 8, chunks = 0;
  while (at + 12 <= png.size()) {
    std::uint32_t length = be32(at);
    ASSERT_LE(at + 12 + length, png.size());
    EXPECT_EQ(be32(at + 8 + length), crc(&png[at + 4], length + 4)) << "chunk " << chunks;
    at += 12 + length;
    ++chunks;
  }
  EXPECT_EQ(at, png.size());
  EXPECT_EQ(chunks, 3u);
}

TEST(PictureFiles, FilesThatAreNoUsablePictureSayWhy) {
  Bytes bmp = fixture("field.bmp"), png = fixture("field.png");
  Bytes rle = bmp;
  rle[30] = 1;  // run-length coded
  Bytes eight_bits = bmp;
  eight_bits[28] = 8;
  Bytes huge = png;
  huge[16] = 0, huge[17] = 0, huge[18] = 0x40, huge[19] = 0;  // 16384 pixels wide
  Bytes huge_bmp = bmp;
  huge_bmp[19] = 0x30;  // 12288 + 53 pixels wide
  struct Case {
    const char* what;
    Bytes bytes;
    const char* starts;
  } cases[] = {
      {"text", Bytes{'h', 'e', 'l', 'l', 'o'}, "not a BMP or PNG image"},
      {"empty", Bytes{}, "not a BMP or PNG image"},
      {"cut bmp", Bytes(bmp.begin(), bmp.begin() + 3000), "a damaged or unsupported BMP"},
      {"rle bmp", rle, "a damaged or unsupported BMP"},
      {"8-bit bmp", eight_bits, "a damaged or unsupported BMP"},
      {"cut png", Bytes(png.begin(), png.end() - 30), "a damaged or unsupported PNG"},
      {"huge png", huge, "too large: 16384 x 106 pixels, at most 8192 x 8192"},
      {"huge bmp", huge_bmp, "too large: 12341 x 106 pixels"},
  };
  for (const Case& c : cases) {
    setup::PictureFile file = setup::read_picture_file(c.bytes);
    EXPECT_FALSE(file.picture) << c.what;
    EXPECT_EQ(file.problem.rfind(c.starts, 0), 0u) << c.what << ": " << file.problem;
  }
}

}  // namespace
