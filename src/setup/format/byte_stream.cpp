#include "byte_stream.h"

#include <cstring>

namespace setup {

std::uint8_t ByteReader::u8() {
  if (pos_ >= data_.size()) {
    overran_ = true;
    return 0;
  }
  return data_[pos_++];
}

std::uint16_t ByteReader::u16() {
  std::uint16_t lo = u8();
  return static_cast<std::uint16_t>(lo | (u8() << 8));
}

std::uint32_t ByteReader::u32() {
  if (remaining() >= 4) {
    const std::uint8_t* p = data_.data() + pos_;
    pos_ += 4;
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
  }
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= std::uint32_t(u8()) << (8 * i);
  return v;
}

std::uint64_t ByteReader::u64() {
  std::uint64_t lo = u32();
  return lo | (std::uint64_t(u32()) << 32);
}

double ByteReader::f64() {
  std::uint64_t bits = u64();
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

std::span<const std::uint8_t> ByteReader::bytes(std::size_t n) {
  if (n > remaining()) {
    overran_ = true;
    n = remaining();
  }
  auto out = data_.subspan(pos_, n);
  pos_ += n;
  return out;
}

std::string_view ByteReader::cstring() {
  if (remaining() == 0) {
    overran_ = true;
    return {};
  }
  const std::uint8_t* start = data_.data() + pos_;
  const void* zero = std::memchr(start, 0, remaining());
  if (!zero) {
    std::string_view text(reinterpret_cast<const char*>(start), remaining());
    pos_ = data_.size();
    overran_ = true;
    return text;
  }
  std::size_t n = static_cast<const std::uint8_t*>(zero) - start;
  pos_ += n + 1;
  return std::string_view(reinterpret_cast<const char*>(start), n);
}

std::u16string ByteReader::wstring() {
  std::u16string text;
  for (;;) {
    if (remaining() < 2) {
      pos_ = data_.size();
      overran_ = true;
      return text;
    }
    char16_t c = static_cast<char16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    if (c == 0) return text;
    text += c;
  }
}

void ByteWriter::u16(std::uint16_t v) {
  u8(static_cast<std::uint8_t>(v));
  u8(static_cast<std::uint8_t>(v >> 8));
}

void ByteWriter::u32(std::uint32_t v) {
  for (int i = 0; i < 4; ++i) u8(static_cast<std::uint8_t>(v >> (8 * i)));
}

void ByteWriter::u64(std::uint64_t v) {
  u32(static_cast<std::uint32_t>(v));
  u32(static_cast<std::uint32_t>(v >> 32));
}

void ByteWriter::f64(double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  u64(bits);
}

void ByteWriter::cstring(std::string_view text) {
  bytes(text);
  u8(0);
}

void ByteWriter::wstring(std::u16string_view text) {
  for (char16_t c : text) u16(static_cast<std::uint16_t>(c));
  u16(0);
}

void ByteWriter::patch_u32(std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out_[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace setup
