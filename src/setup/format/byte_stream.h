#pragma once
// Little-endian reading and writing of the installation data's fields.
//
// A ByteReader never reads outside its bytes: a read past the end yields
// zeros (or an empty/short text), and overran() tells the caller, who turns
// it into the error code of the structure being read. The settings stream
// relies on the zeros; the section head and the file entries on overran().
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace setup {

class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

  std::uint8_t u8();
  std::uint16_t u16();
  std::uint32_t u32();
  std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
  std::uint64_t u64();
  double f64();
  // The next n bytes; fewer (and overran) when the data ends first.
  std::span<const std::uint8_t> bytes(std::size_t n);
  // Bytes up to a zero byte, which is consumed; an unterminated text runs to
  // the end of the data and sets overran.
  std::string_view cstring();
  // 16-bit units up to a zero unit, the same way.
  std::u16string wstring();
  void skip(std::size_t n) { (void)bytes(n); }

  std::size_t position() const { return pos_; }
  std::size_t size() const { return data_.size(); }
  std::size_t remaining() const { return data_.size() - pos_; }
  bool at_end() const { return pos_ == data_.size(); }
  bool overran() const { return overran_; }
  std::span<const std::uint8_t> data() const { return data_; }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
  bool overran_ = false;
};

class ByteWriter {
 public:
  void u8(std::uint8_t v) { out_.push_back(v); }
  void u16(std::uint16_t v);
  void u32(std::uint32_t v);
  void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
  void u64(std::uint64_t v);
  void f64(double v);
  void bytes(std::span<const std::uint8_t> b) { out_.insert(out_.end(), b.begin(), b.end()); }
  void bytes(std::string_view b) { out_.insert(out_.end(), b.begin(), b.end()); }
  void cstring(std::string_view text);      // text and a zero byte
  void wstring(std::u16string_view text);   // units and a zero unit
  // Overwrites 4 bytes written earlier (for sizes known only later).
  void patch_u32(std::size_t at, std::uint32_t v);

  std::size_t size() const { return out_.size(); }
  const std::vector<std::uint8_t>& data() const { return out_; }
  std::vector<std::uint8_t> take() { return std::move(out_); }

 private:
  std::vector<std::uint8_t> out_;
};

}  // namespace setup
