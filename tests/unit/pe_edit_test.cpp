// Adding the installation-data section to a stub and taking it out again.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "checksum.h"
#include "pe_edit.h"
#include "pe_image.h"

namespace {

void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
}
std::uint32_t get32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return setup::read_u32(b, at);
}

constexpr std::uint32_t kPe = 0x80, kOpt = kPe + 24, kTable = kOpt + 0xE0;

// A small PE32 stub: four sections of 0x200 raw bytes, file alignment 0x200,
// section alignment 0x1000, headers of 0x400 bytes.
std::vector<std::uint8_t> make_stub() {
  std::vector<std::uint8_t> b(0x400 + 4 * 0x200, 0);
  b[0] = 'M', b[1] = 'Z';
  put32(b, 60, kPe);
  std::memcpy(&b[kPe], "PE\0\0", 4);
  b[kPe + 4] = 0x4C, b[kPe + 5] = 0x01;  // i386
  b[kPe + 6] = 4;
  b[kPe + 20] = 0xE0;
  b[kOpt] = 0x0B, b[kOpt + 1] = 0x01;
  put32(b, kOpt + 8, 0x400);       // initialised data
  put32(b, kOpt + 32, 0x1000);     // section alignment
  put32(b, kOpt + 36, 0x200);      // file alignment
  put32(b, kOpt + 56, 0x5000);     // size of image
  put32(b, kOpt + 60, 0x400);      // size of headers
  put32(b, kOpt + 92, 16);         // directories
  const char* names[] = {".text", ".data", ".rdata", ".rsrc"};
  for (int i = 0; i < 4; ++i) {
    std::size_t e = kTable + i * 40;
    std::memcpy(&b[e], names[i], std::strlen(names[i]));
    put32(b, e + 8, 0x180);
    put32(b, e + 12, 0x1000 * (i + 1));
    put32(b, e + 16, 0x200);
    put32(b, e + 20, 0x400 + i * 0x200);
    for (int k = 0; k < 0x200; ++k) b[0x400 + i * 0x200 + k] = std::uint8_t(i * 31 + k);
  }
  return b;
}

std::vector<std::uint8_t> payload(std::size_t n) {
  std::vector<std::uint8_t> d(n);
  for (std::size_t i = 0; i < n; ++i) d[i] = std::uint8_t(i * 7 + 3);
  return d;
}

TEST(PeEdit, AppendedSectionIsFoundAndAddressable) {
  auto file = make_stub();
  auto data = payload(1000);
  setup::NewSection placed;
  std::string error;
  ASSERT_TRUE(setup::append_section(file, ".setup", data, placed, error)) << error;
  EXPECT_EQ(placed.file_position, 0x1000u);  // on a page of the file, so it can be mapped
  EXPECT_EQ(placed.virtual_address, 0x5000u);
  EXPECT_EQ(placed.raw_size, 0x400u);
  EXPECT_EQ(file.size(), 0x1400u);
  EXPECT_EQ(get32(file, kOpt + 56), 0x6000u);            // size of image
  EXPECT_EQ(get32(file, kOpt + 8), 0x800u);              // initialised data
  setup::SectionSearch s = setup::find_section(file);
  ASSERT_TRUE(s.found);
  EXPECT_EQ(s.entry.file_position, placed.file_position);
  EXPECT_EQ(0, std::memcmp(&file[placed.file_position], data.data(), data.size()));
}

TEST(PeEdit, StrippingRestoresTheStub) {
  auto stub = make_stub();
  auto file = stub;
  setup::NewSection placed;
  std::string error;
  ASSERT_TRUE(setup::append_section(file, ".setup", payload(5000), placed, error)) << error;
  setup::update_pe_checksum(file);
  std::vector<std::uint8_t> image;
  ASSERT_EQ(setup::strip_section(file, ".setup", image), 0);
  setup::update_pe_checksum(stub);
  EXPECT_EQ(image, stub);
}

TEST(PeEdit, StrippingAMiddleSectionMovesTheLaterOnes) {
  auto file = make_stub();
  std::memcpy(&file[kTable + 40], ".setup\0\0", 8);  // .data becomes the section to remove
  std::vector<std::uint8_t> image;
  ASSERT_EQ(setup::strip_section(file, ".setup", image), 0);
  EXPECT_EQ(image.size(), file.size() - 0x200);
  EXPECT_EQ(image[kPe + 6], 3);
  EXPECT_EQ(0, std::memcmp(&image[kTable + 40], ".rdata", 6));
  EXPECT_EQ(get32(image, kTable + 40 + 20), 0x600u);  // was 0x800
  EXPECT_EQ(image[0x600], file[0x800]);
  EXPECT_EQ(get32(image, kTable + 3 * 40), 0u);       // the freed entry is cleared
}

TEST(PeEdit, SigningDoesNotChangeTheStubChecksumAndTheUninstallerDropsTheSignature) {
  auto file = make_stub();
  setup::NewSection placed;
  std::string error;
  ASSERT_TRUE(setup::append_section(file, ".setup", payload(700), placed, error)) << error;
  std::uint32_t before = setup::stub_checksum(file, placed.file_position);
  // What signing does: a certificate behind everything, its directory entry
  // filled in, the image checksum updated.
  std::uint32_t cert_at = static_cast<std::uint32_t>(file.size());
  file.resize(file.size() + 64, 0xAB);
  put32(file, kOpt + 96 + 4 * 8, cert_at);
  put32(file, kOpt + 96 + 4 * 8 + 4, 64);
  setup::update_pe_checksum(file);
  EXPECT_EQ(setup::stub_checksum(file, placed.file_position), before);

  std::vector<std::uint8_t> image;
  ASSERT_EQ(setup::strip_section(file, ".setup", image), 0);
  EXPECT_EQ(image.size(), 0xC00u);
  EXPECT_EQ(get32(image, kOpt + 96 + 4 * 8), 0u);
  // Any other byte before the section still counts.
  file[kPe + 100] ^= 1;
  EXPECT_NE(setup::stub_checksum(file, placed.file_position), before);
}

TEST(PeEdit, UnpaddedTailEndsTheFileWithTheData) {
  auto file = make_stub();
  auto data = payload(3000);
  setup::NewSection placed;
  std::string error;
  ASSERT_TRUE(setup::append_section(file, ".setup", data, placed, error, true, 600)) << error;
  EXPECT_EQ(file.size(), placed.file_position + data.size());
  EXPECT_EQ(placed.raw_size, 0x400u);
  std::vector<std::uint8_t> image;
  ASSERT_EQ(setup::strip_section(file, ".setup", image), 0);
  EXPECT_EQ(image.size(), 0xC00u);
}

TEST(PeEdit, RefusalsAndChecksum) {
  std::string error;
  setup::NewSection placed;
  std::vector<std::uint8_t> junk(100, 0);
  EXPECT_FALSE(setup::append_section(junk, ".setup", payload(1), placed, error));
  auto with_overlay = make_stub();
  with_overlay.push_back(1);
  EXPECT_FALSE(setup::append_section(with_overlay, ".setup", payload(1), placed, error));
  EXPECT_NE(error.find("behind its last section"), std::string::npos);
  std::vector<std::uint8_t> image;
  EXPECT_EQ(setup::strip_section(make_stub(), ".setup", image), 42);

  // The image checksum: 16-bit sums with carry folded in, plus the length.
  std::vector<std::uint8_t> words = {0xFF, 0xFF, 0x02, 0x00, 0x01};
  EXPECT_EQ(setup::pe_image_checksum(words, 100), 0x0002u + 0x0001u + 5u);
}

}  // namespace
