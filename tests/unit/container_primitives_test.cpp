// The container's building blocks: the additive checksum, the scrambling,
// the cipher and its framing, and inflating in pieces.
#include <algorithm>
#include <gtest/gtest.h>

#include <string>

#include "checksum.h"
#include "cipher.h"
#include "container_test_support.h"
#include "scramble.h"
#include "zlib_codec.h"

namespace {

using container_test::Bytes;

Bytes bytes_of(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes hex(std::string_view digits) {
  Bytes b;
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
    b.push_back(std::uint8_t(std::stoul(std::string(digits.substr(i, 2)), nullptr, 16)));
  return b;
}

TEST(AdditiveChecksum, KnownValues) {
  struct Case {
    std::string bytes;
    std::uint32_t sum;
  } cases[] = {
      {"", 0x79E2BC9D},
      {"abc", 0x79E2BDC6},
      {"abcd", 0xDE461F02},
      {"abcd\xFF", 0xDE461F02},         // the tail byte adds -1, the length 1 more
      {"\x80", 0x79E2BC9D - 128 + 1},   // tail bytes are signed
      {"\xFF\xFF\xFF\xFF", 0x79E2BC9D + 0xFFFFFFFF + 4},
  };
  for (const Case& c : cases) EXPECT_EQ(setup::additive_checksum(bytes_of(c.bytes)), c.sum) << c.bytes.size();
}

// The word loop is unrolled; every length and alignment must match the plain
// word-by-word definition.
TEST(AdditiveChecksum, MatchesTheWordByWordDefinitionAtEveryLengthAndAlignment) {
  Bytes data = container_test::sample_bytes(200, 7);
  for (auto& b : data) b = std::uint8_t(b * 37 + 0x91);  // plenty of bytes >= 0x80
  for (std::size_t offset = 0; offset < 4; ++offset) {
    for (std::size_t n = 0; n + offset <= 150; ++n) {
      const std::uint8_t* p = data.data() + offset;
      std::uint32_t expect = 0x79E2BC9D;
      std::size_t i = 0;
      for (; i + 4 <= n; i += 4) expect += p[i] | (p[i + 1] << 8) | (p[i + 2] << 16) | (std::uint32_t(p[i + 3]) << 24);
      for (; i < n; ++i) expect += std::uint32_t(std::int8_t(p[i]));
      expect += std::uint32_t(n);
      ASSERT_EQ(setup::additive_checksum(std::span(p, n)), expect) << "offset " << offset << " length " << n;
    }
  }
}

TEST(Scramble, XorsWordsWithTheKeyAndTheTailWithItsLowBytes) {
  Bytes b(7, 0);
  setup::scramble(b, 0x44332211);
  EXPECT_EQ(b, (Bytes{0x11, 0x22, 0x33, 0x44, 0x11, 0x22, 0x33}));
  Bytes text = container_test::sample_bytes(1001, 3), copy = text;
  setup::scramble(text, 0xDEADBEEF);
  EXPECT_NE(text, copy);
  setup::scramble(text, 0xDEADBEEF);
  EXPECT_EQ(text, copy);
}

// The published Blowfish test vectors take the key bytes as big-endian
// words; this cipher takes them little-endian. Swapping the bytes of each
// 4-byte key word turns a published key into the key that gives the same
// result here. The block halves are big-endian in both, so plain and
// enciphered bytes stay as published.
Bytes swap_key_words(Bytes key) {
  for (std::size_t i = 0; i + 4 <= key.size(); i += 4) {
    std::swap(key[i], key[i + 3]);
    std::swap(key[i + 1], key[i + 2]);
  }
  return key;
}

TEST(Cipher, PublishedVectorsWithKeyWordsSwapped) {
  struct Vector {
    const char* key;
    const char* plain;
    const char* enciphered;
  } vectors[] = {
      {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
      {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
      {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
      {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
      {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
      {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
      // Longer keys: the key words repeat over the 18 P entries.
      {"F0E1D2C3B4A5968778695A4B3C2D1E0F", "FEDCBA9876543210", "93142887EE3BE15C"},
      {"F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677", "FEDCBA9876543210", "05044B62FA52D080"},
  };
  for (const Vector& v : vectors) {
    auto cipher = setup::Cipher::from_key(swap_key_words(hex(v.key)));
    ASSERT_TRUE(cipher) << v.key;
    Bytes block = hex(v.plain);
    cipher->encipher(block);
    EXPECT_EQ(block, hex(v.enciphered)) << v.key;
    cipher->decipher(block);
    EXPECT_EQ(block, hex(v.plain)) << v.key;
  }
  // The key words really are little-endian: the published key unswapped
  // gives another result.
  auto unswapped = setup::Cipher::from_key(hex("0123456789ABCDEF"));
  Bytes block = hex("1111111111111111");
  unswapped->encipher(block);
  EXPECT_NE(block, hex("61F9C3802281B096"));
}

TEST(Cipher, KeySizes) {
  for (std::size_t n : {8u, 12u, 56u}) EXPECT_TRUE(setup::Cipher::from_key(Bytes(n, 1))) << n;
  for (std::size_t n : {0u, 4u, 7u, 9u, 60u}) EXPECT_FALSE(setup::Cipher::from_key(Bytes(n, 1))) << n;
}

TEST(CipherFraming, RoundTripAtEveryPaddingLength) {
  auto cipher = setup::Cipher::from_key(container_test::kKey);
  for (std::size_t n = 0; n <= 20; ++n) {
    Bytes plain = container_test::sample_bytes(n, std::uint32_t(n));
    Bytes framed = setup::encipher_framed(*cipher, plain);
    EXPECT_EQ(framed.size() % 8, 0u);
    EXPECT_GE(framed.size(), n + 4);
    EXPECT_LE(framed.size(), n + 11);
    ASSERT_TRUE(setup::decipher_framed(*cipher, framed)) << n;
    EXPECT_EQ(framed, plain) << n;
  }
}

TEST(CipherFraming, Refusals) {
  auto cipher = setup::Cipher::from_key(container_test::kKey);
  // Blocks whose deciphered last word holds `stated` as the plain length.
  auto framed_with_length = [&](std::size_t size, std::uint32_t stated) {
    Bytes b(size, 0x5A);
    for (int i = 0; i < 4; ++i) b[size - 4 + i] = std::uint8_t(stated >> (8 * i));
    cipher->encipher(b);
    return b;
  };
  struct Case {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"empty", Bytes{}},
      {"shorter than a block", Bytes(7, 1)},
      {"not whole blocks", Bytes(12, 1)},
      {"length beyond the last 4 bytes", framed_with_length(16, 13)},
      {"length with more than 8 bytes of padding", framed_with_length(16, 3)},
      {"length near 2^32", framed_with_length(8, 0xFFFFFFFC)},
  };
  for (Case& c : cases) {
    EXPECT_FALSE(setup::decipher_framed(*cipher, c.bytes)) << c.what;
    EXPECT_TRUE(c.bytes.empty()) << c.what;
  }
  // The bounds themselves are accepted.
  Bytes lowest = framed_with_length(16, 4), highest = framed_with_length(16, 12);
  EXPECT_TRUE(setup::decipher_framed(*cipher, lowest));
  EXPECT_EQ(lowest.size(), 4u);
  EXPECT_TRUE(setup::decipher_framed(*cipher, highest));
  EXPECT_EQ(highest.size(), 12u);
}

TEST(Inflate, StreamsLargerThanOnePieceAndThanTheFirstBuffer) {
  // 100 KB of text spans several 16 KB input pieces; 1 MB of zeros inflates
  // far beyond the first buffer of 3 x input + 1,024 bytes.
  for (const Bytes& plain : {container_test::sample_bytes(100000, 1), Bytes(1 << 20, 0)}) {
    Bytes packed = setup::deflate_bytes(plain, 9);
    setup::Inflated out = setup::inflate_bytes(packed);
    EXPECT_TRUE(out.ok);
    EXPECT_TRUE(out.complete);
    EXPECT_TRUE(std::ranges::equal(out.bytes, plain)) << plain.size();
  }
  EXPECT_GT(setup::deflate_bytes(container_test::sample_bytes(100000, 1), 9).size(), setup::kInflatePiece);
}

// Damaged data is not an inflate failure: what comes out goes on to the
// checksums, which refuse it.
TEST(Inflate, DamagedStreamsAreNotFailures) {
  Bytes plain = container_test::sample_bytes(50000, 2);
  Bytes packed = setup::deflate_bytes(plain, 6);
  Bytes flipped = packed;
  flipped[packed.size() / 2] ^= 0x10;
  Bytes cut(packed.begin(), packed.begin() + packed.size() / 2);
  Bytes garbage = container_test::sample_bytes(3000, 9);

  for (const Bytes* input : {&flipped, &cut, &garbage}) {
    setup::Inflated out = setup::inflate_bytes(*input);
    EXPECT_TRUE(out.ok);
    EXPECT_FALSE(out.complete);
    EXPECT_NE(setup::additive_checksum(out.bytes), setup::additive_checksum(plain));
  }
  setup::Inflated half = setup::inflate_bytes(cut);
  ASSERT_LE(half.bytes.size(), plain.size());
  EXPECT_TRUE(std::equal(half.bytes.begin(), half.bytes.end(), plain.begin()));
}

}  // namespace
