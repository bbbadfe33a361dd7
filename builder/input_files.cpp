#include "input_files.h"

#include <cstring>
#include <fstream>

#include "kv_core.h"
#include "utf8_paths.h"

namespace builder {
namespace {

std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at) {
  return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
         std::uint32_t(b[at + 3]) << 24;
}
std::uint16_t le16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

bool valid_utf8(std::span<const std::uint8_t> b) {
  for (std::size_t i = 0; i < b.size();) {
    std::uint8_t c = b[i];
    std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > b.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((b[i + k] & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

}  // namespace

bool read_file_bytes(const std::filesystem::path& path, std::vector<std::uint8_t>& out, std::string& error,
                     std::uint64_t max_size) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path_to_utf8(path);
    return false;
  }
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  if (size < 0) {
    error = "cannot read " + path_to_utf8(path);
    return false;
  }
  if (static_cast<std::uint64_t>(size) > max_size) {
    error = path_to_utf8(path) + ": larger than " + std::to_string(max_size) + " bytes, the most it can hold";
    return false;
  }
  out.resize(static_cast<std::size_t>(size));
  in.seekg(0);
  if (size > 0 && !in.read(reinterpret_cast<char*>(out.data()), size)) {
    error = "cannot read " + path_to_utf8(path);
    return false;
  }
  return true;
}

std::u16string decode_text(std::span<const std::uint8_t> b) {
  auto utf16 = [&](std::size_t from, bool big_endian) {
    std::u16string text;
    for (std::size_t i = from; i + 1 < b.size(); i += 2)
      text.push_back(big_endian ? char16_t(b[i] << 8 | b[i + 1]) : char16_t(b[i] | b[i + 1] << 8));
    return text;
  };
  if (b.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE) return utf16(2, false);
  if (b.size() >= 2 && b[0] == 0xFE && b[1] == 0xFF) return utf16(2, true);
  std::string_view bytes(reinterpret_cast<const char*>(b.data()), b.size());
  if (b.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return kv::utf8_to_utf16(bytes.substr(3));
  if (valid_utf8(b)) return kv::utf8_to_utf16(bytes);
  return kv::cp1252_to_utf16(bytes);
}

bool is_rich_text(std::span<const std::uint8_t> b) { return b.size() >= 5 && std::memcmp(b.data(), "{\\rtf", 5) == 0; }

bool is_icon_file(std::span<const std::uint8_t> b) {
  if (b.size() < 6 || le16(b, 0) != 0 || le16(b, 2) != 1) return false;
  std::size_t count = le16(b, 4);
  if (count == 0 || b.size() < 6 + 16 * count) return false;
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t entry = 6 + 16 * i;
    std::uint64_t size = le32(b, entry + 8), offset = le32(b, entry + 12);
    if (size == 0 || offset < 6 + 16 * count || offset + size > b.size()) return false;
  }
  return true;
}

bool is_bitmap_file(std::span<const std::uint8_t> b) {
  return b.size() >= 26 && b[0] == 'B' && b[1] == 'M' && le32(b, 2) <= b.size() && le32(b, 10) < b.size();
}

bool is_wave_file(std::span<const std::uint8_t> b) {
  return b.size() >= 12 && std::memcmp(b.data(), "RIFF", 4) == 0 && std::memcmp(b.data() + 8, "WAVE", 4) == 0;
}

}  // namespace builder
