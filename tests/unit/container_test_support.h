#pragma once
// Sample installation data for the container tests: entries, settings
// streams and whole sections built with the library's own writers.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "archive.h"
#include "container_progress.h"
#include "container.h"
#include "section_head.h"

namespace container_test {

using Bytes = std::vector<std::uint8_t>;

// Records what the container reports, as "wait", "step 62", "62%"...
struct ProgressLog : setup::ContainerProgress {
  std::vector<std::string> events;
  void wait_minimum_display() override { events.push_back("wait"); }
  void show_step(int text) override { events.push_back("step " + std::to_string(text)); }
  void post_progress(int percent) override { events.push_back(std::to_string(percent) + "%"); }
};

// Deterministic, mildly compressible bytes.
inline Bytes sample_bytes(std::size_t n, std::uint32_t seed) {
  Bytes b(n);
  std::uint32_t x = seed * 2654435761u + 1;
  for (auto& v : b) {
    x = x * 1103515245u + 12345u;
    v = static_cast<std::uint8_t>("abcdefgh \r\n0123"[(x >> 16) & 15]);
  }
  return b;
}

inline const std::array<std::uint8_t, 8> kKey = {0x13, 0x57, 0x9B, 0xDF, 0x02, 0x46, 0x8A, 0xCE};

inline setup::SectionHead head_values(bool enciphered) {
  setup::SectionHead h;
  h.ProductFlags2 = enciphered ? setup::flags2::kEnciphered | 0x2 : 0x2;
  h.stub_checksum = 0x11223344;
  h.cipher_key = kKey;
  return h;
}

inline setup::ChunkCoding coding(const setup::Cipher* cipher, bool compressed) {
  setup::ChunkCoding c;
  c.compress = compressed;
  c.cipher = cipher;
  return c;
}

// A whole section; the archive holds `entries`.
inline Bytes make_section(bool enciphered, bool compressed, const std::vector<setup::FileEntry>& entries,
                          const Bytes& settings, std::size_t chunk_size = 64) {
  auto cipher = setup::Cipher::from_key(kKey);
  setup::BuiltArchive archive =
      setup::build_archive(entries, chunk_size, coding(enciphered ? &*cipher : nullptr, compressed));
  setup::SectionHead h = head_values(enciphered);
  h.data_sizes = archive.data_sizes;
  return setup::write_section(h, settings, archive.bytes).bytes;
}

}  // namespace container_test
