#include "settings_stream.h"

namespace setup {

bool read_compact(ByteReader& in, std::span<const std::uint8_t>& bytes) {
  std::uint32_t length = in.u8();
  if (length == 255) {
    std::uint8_t b = in.u8();
    length = b < 255 ? std::uint32_t(b) | (std::uint32_t(in.u8()) << 8) : in.u32();
  }
  if (length > kMaxCompactLength) return false;
  // bytes() stops at the end of the stream, so a huge announced length never
  // turns into a huge allocation.
  bytes = in.bytes(length);
  return true;
}

void write_compact(ByteWriter& out, std::span<const std::uint8_t> bytes) {
  std::size_t length = bytes.size();
  if (length < 255) {
    out.u8(static_cast<std::uint8_t>(length));
  } else if (length <= 0xFFFF && (length & 0xFF) != 0xFF) {
    out.u8(255);
    out.u16(static_cast<std::uint16_t>(length));
  } else {
    out.u8(255);
    out.u8(255);
    out.u32(static_cast<std::uint32_t>(length));
  }
  out.bytes(bytes);
}

bool read_sized(ByteReader& in, LengthField width, std::span<const std::uint8_t>& bytes) {
  std::uint32_t length = 0;
  switch (width) {
    case LengthField::u8: length = in.u8(); break;
    case LengthField::u16: length = in.u16(); break;
    case LengthField::u32:
      length = in.u32();
      if (length > 0x7FFFFFFF) return false;
      break;
  }
  bytes = in.bytes(length);
  return true;
}

void write_sized(ByteWriter& out, LengthField width, std::span<const std::uint8_t> bytes) {
  switch (width) {
    case LengthField::u8: out.u8(static_cast<std::uint8_t>(bytes.size())); break;
    case LengthField::u16: out.u16(static_cast<std::uint16_t>(bytes.size())); break;
    case LengthField::u32: out.u32(static_cast<std::uint32_t>(bytes.size())); break;
  }
  out.bytes(bytes);
}

std::uint32_t max_sized_length(LengthField width) {
  switch (width) {
    case LengthField::u8: return 0xFF;
    case LengthField::u16: return 0xFFFF;
    case LengthField::u32: return 0x7FFFFFFF;
  }
  return 0;
}

std::u16string utf16_from_bytes(std::span<const std::uint8_t> bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return text;
}

std::vector<std::uint8_t> utf16_to_bytes(std::u16string_view text) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return bytes;
}

}  // namespace setup
