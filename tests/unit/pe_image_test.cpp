// Finding a named section through the PE headers.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "pe_image.h"

namespace {

std::vector<std::uint8_t> fake_pe(std::uint16_t pe_at, std::vector<const char*> names, std::uint32_t pos = 0x800) {
  std::vector<std::uint8_t> b(0x1000, 0);
  b[60] = pe_at & 0xFF;
  b[61] = pe_at >> 8;
  b[pe_at] = 'P', b[pe_at + 1] = 'E';
  b[pe_at + 6] = std::uint8_t(names.size());
  b[pe_at + 20] = 0xE0;  // optional header size
  std::size_t table = pe_at + 24 + 0xE0;
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::uint8_t* e = &b[table + i * 40];
    std::memcpy(e, names[i], std::strlen(names[i]));
    e[12] = 0x00, e[13] = 0x10 * (i + 1);  // virtual address
    e[16] = 0x00, e[17] = 0x02;            // raw size 0x200
    std::uint32_t p = pos + std::uint32_t(i) * 0x200;
    std::memcpy(e + 20, &p, 4);
  }
  return b;
}

TEST(PeImage, FindsTheSetupSection) {
  auto pe = fake_pe(0x80, {".text", ".data", ".rdata", ".rsrc", ".setup"});
  setup::SectionSearch s = setup::find_section(pe);
  ASSERT_TRUE(s.found);
  EXPECT_EQ(s.error, 0);
  EXPECT_EQ(s.index, 4);
  EXPECT_EQ(s.entry.virtual_address, 0x5000u);
  EXPECT_EQ(s.entry.raw_size, 0x200u);
  EXPECT_EQ(s.entry.file_position, 0x800u + 4 * 0x200);
}

TEST(PeImage, ErrorsAndAbsence) {
  EXPECT_FALSE(setup::find_section(fake_pe(0x80, {".text", ".data", ".rdata", ".rsrc"})).found);
  EXPECT_EQ(setup::find_section(fake_pe(0x80, {".text", ".data", ".rdata", ".rsrc"})).error, 0);
  EXPECT_EQ(setup::find_section(fake_pe(0x20, {".text", ".data", ".rdata", ".setup"})).error, 43);
  EXPECT_EQ(setup::find_section(fake_pe(0x80, {".text", ".data", ".setup"})).error, 44);
  // A name that only begins with ".setup" is another section.
  EXPECT_FALSE(setup::find_section(fake_pe(0x80, {".text", ".data", ".rdata", ".setupx"})).found);
  auto zero_pos = fake_pe(0x80, {".text", ".data", ".rdata", ".setup"}, 0);
  zero_pos[0x80 + 24 + 0xE0 + 0 * 40 + 20] = 1;  // only .text moves
  EXPECT_EQ(setup::find_section(zero_pos).error, 0);
  auto setup_at_zero = fake_pe(0x80, {".setup", ".data", ".rdata", ".rsrc"}, 0);
  EXPECT_EQ(setup::find_section(setup_at_zero).error, 9);
  // Headers cut short: no section, and no read past the bytes given.
  auto pe = fake_pe(0x80, {".text", ".data", ".rdata", ".setup"});
  EXPECT_FALSE(setup::find_section(std::span(pe).first(0x80 + 24 + 0xE0 + 2 * 40)).found);
}

}  // namespace
