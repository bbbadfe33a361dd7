#include "version_resource.h"

#include <algorithm>
#include <vector>

namespace builder {
namespace {

constexpr std::uint32_t kVersionResourceType = 16;  // RT_VERSION
constexpr int kMaxBlockDepth = 8;

// Bounds-checked little-endian reads: out of range reads as nothing.
struct Bytes {
  std::span<const std::uint8_t> b;
  bool has(std::uint64_t at, std::uint64_t n) const { return at <= b.size() && n <= b.size() - at; }
  std::optional<std::uint16_t> u16(std::uint64_t at) const {
    if (!has(at, 2)) return std::nullopt;
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
  }
  std::optional<std::uint32_t> u32(std::uint64_t at) const {
    if (!has(at, 4)) return std::nullopt;
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
  }
};

struct Section {
  std::uint32_t virtual_address, virtual_size, raw_size, raw_position;
};

// The resource directory's place in the file and the sections that map
// relative virtual addresses to file positions.
struct Image {
  Bytes file;
  std::vector<Section> sections;

  std::optional<std::uint64_t> position_of(std::uint32_t rva, std::uint32_t length) const {
    for (const Section& s : sections) {
      std::uint64_t extent = std::max(s.virtual_size, s.raw_size);
      if (rva < s.virtual_address || rva - s.virtual_address >= extent) continue;
      std::uint64_t offset = rva - s.virtual_address;
      if (offset + length > s.raw_size) return std::nullopt;
      std::uint64_t at = std::uint64_t(s.raw_position) + offset;
      if (!file.has(at, length)) return std::nullopt;
      return at;
    }
    return std::nullopt;
  }
};

std::optional<Image> read_image(std::span<const std::uint8_t> bytes, std::uint32_t& resource_rva,
                                std::uint32_t& resource_size) {
  Image image{Bytes{bytes}, {}};
  const Bytes& f = image.file;
  if (!f.has(0, 64) || bytes[0] != 'M' || bytes[1] != 'Z') return std::nullopt;
  std::uint32_t pe = *f.u32(60);
  if (!f.has(pe, 24) || bytes[pe] != 'P' || bytes[pe + 1] != 'E' || bytes[pe + 2] || bytes[pe + 3]) return std::nullopt;
  std::uint16_t count = *f.u16(pe + 6);
  std::uint16_t optional_size = *f.u16(pe + 20);
  std::uint64_t optional = std::uint64_t(pe) + 24;
  auto magic = f.u16(optional);
  if (!magic) return std::nullopt;
  // The data directories follow the fixed fields, which are longer in a
  // 64-bit image.
  std::uint64_t directories = *magic == 0x10B ? 96 : *magic == 0x20B ? 112 : 0;
  if (!directories || optional_size < directories + 3 * 8) return std::nullopt;
  auto directory_count = f.u32(optional + directories - 4);
  if (!directory_count || *directory_count < 3) return std::nullopt;
  auto rva = f.u32(optional + directories + 2 * 8), size = f.u32(optional + directories + 2 * 8 + 4);
  if (!rva || !size || !*rva) return std::nullopt;
  resource_rva = *rva;
  resource_size = *size;
  std::uint64_t table = optional + optional_size;
  for (std::uint16_t i = 0; i < count; ++i) {
    std::uint64_t at = table + 40ull * i;
    if (!f.has(at, 40)) return std::nullopt;
    image.sections.push_back({*f.u32(at + 12), *f.u32(at + 8), *f.u32(at + 16), *f.u32(at + 20)});
  }
  return image;
}

// The offset (within the resource data) that a directory entry points to.
struct Entry {
  std::uint32_t name;
  std::uint32_t target;
};

std::vector<Entry> directory_entries(const Bytes& res, std::uint32_t at) {
  std::vector<Entry> out;
  auto named = res.u16(std::uint64_t(at) + 12), ids = res.u16(std::uint64_t(at) + 14);
  if (!named || !ids) return out;
  for (std::uint32_t i = 0; i < std::uint32_t(*named) + *ids; ++i) {
    std::uint64_t e = std::uint64_t(at) + 16 + 8ull * i;
    auto name = res.u32(e), target = res.u32(e + 4);
    if (!name || !target) break;
    out.push_back({*name, *target});
  }
  return out;
}

constexpr std::uint32_t kSubdirectory = 0x80000000;

// The version resource's bytes: type 16, then its first name, then its first
// language.
std::optional<std::span<const std::uint8_t>> version_resource(const Image& image, std::uint32_t rva,
                                                              std::uint32_t size) {
  auto at = image.position_of(rva, 0);
  if (!at) return std::nullopt;
  Bytes res{image.file.b.subspan(*at, std::min<std::uint64_t>(size, image.file.b.size() - *at))};
  std::uint32_t dir = 0;
  std::optional<std::uint32_t> next;
  for (const Entry& e : directory_entries(res, dir))
    if (!(e.name & kSubdirectory) && e.name == kVersionResourceType && (e.target & kSubdirectory)) next = e.target;
  for (int level = 0; level < 2 && next; ++level) {
    dir = *next & ~kSubdirectory;
    auto entries = directory_entries(res, dir);
    next.reset();
    if (entries.empty()) return std::nullopt;
    std::uint32_t target = entries.front().target;
    if (level == 0 && (target & kSubdirectory)) next = target;
    if (level == 1 && !(target & kSubdirectory)) {
      auto data_rva = res.u32(target), data_size = res.u32(std::uint64_t(target) + 4);
      if (!data_rva || !data_size) return std::nullopt;
      auto data = image.position_of(*data_rva, *data_size);
      if (!data) return std::nullopt;
      return image.file.b.subspan(*data, *data_size);
    }
  }
  return std::nullopt;
}

// One block of the version information: a length, a value length, a type, a
// key, then the value and the child blocks, each aligned to 4 bytes.
struct Block {
  std::u16string key;
  std::span<const std::uint8_t> value;
  std::span<const std::uint8_t> children;
};

std::size_t align4(std::size_t v) { return (v + 3) & ~std::size_t(3); }

std::optional<Block> read_block(std::span<const std::uint8_t> b, std::size_t& used) {
  Bytes in{b};
  auto length = in.u16(0), value_length = in.u16(2), type = in.u16(4);
  if (!length || !value_length || !type || *length < 6 || *length > b.size()) return std::nullopt;
  std::span<const std::uint8_t> block = b.first(*length);
  Block out;
  std::size_t at = 6;
  for (; at + 1 < block.size(); at += 2) {
    char16_t c = static_cast<char16_t>(block[at] | block[at + 1] << 8);
    if (c == 0) break;
    out.key.push_back(c);
  }
  at = align4(at + 2);
  // Text values count their length in characters; writers disagree, so a
  // text value runs to its zero or to the block's end.
  std::size_t value_bytes = *type == 1 ? std::size_t(*value_length) * 2 : *value_length;
  if (at > block.size()) at = block.size();
  value_bytes = std::min(value_bytes, block.size() - at);
  out.value = block.subspan(at, *type == 1 ? block.size() - at : value_bytes);
  std::size_t children = std::min(align4(at + value_bytes), block.size());
  out.children = block.subspan(children);
  used = align4(*length);
  return out;
}

std::optional<std::u16string> find_file_version(std::span<const std::uint8_t> blocks, int depth) {
  if (depth > kMaxBlockDepth) return std::nullopt;
  while (!blocks.empty()) {
    std::size_t used = 0;
    auto block = read_block(blocks, used);
    if (!block) return std::nullopt;
    if (depth == 0 && block->key == u"StringFileInfo") {
      if (auto found = find_file_version(block->children, 1)) return found;
    } else if (depth == 1) {  // a string table of one language and code page
      if (auto found = find_file_version(block->children, 2)) return found;
    } else if (depth == 2 && block->key == u"FileVersion") {
      std::u16string text;
      for (std::size_t i = 0; i + 1 < block->value.size(); i += 2) {
        char16_t c = static_cast<char16_t>(block->value[i] | block->value[i + 1] << 8);
        if (c == 0) break;
        text.push_back(c);
      }
      return text;
    }
    if (used >= blocks.size()) break;
    blocks = blocks.subspan(used);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::u16string> file_version_text(std::span<const std::uint8_t> file) {
  std::uint32_t rva = 0, size = 0;
  auto image = read_image(file, rva, size);
  if (!image) return std::nullopt;
  auto resource = version_resource(*image, rva, size);
  if (!resource) return std::nullopt;
  std::size_t used = 0;
  auto root = read_block(*resource, used);
  if (!root || root->key != u"VS_VERSION_INFO") return std::nullopt;
  auto text = find_file_version(root->children, 0);
  if (!text) return std::nullopt;
  auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
  // "1, 0, 2" is as common as "1.0.2".
  std::u16string dotted;
  for (std::size_t i = 0; i < text->size(); ++i) {
    if ((*text)[i] != u',') {
      dotted.push_back((*text)[i]);
      continue;
    }
    dotted.push_back(u'.');
    while (i + 1 < text->size() && (*text)[i + 1] == u' ') ++i;
  }
  *text = std::move(dotted);
  while (!text->empty() && blank(text->back())) text->pop_back();
  std::size_t first = 0;
  while (first < text->size() && blank((*text)[first])) ++first;
  text->erase(0, first);
  if (text->empty()) return std::nullopt;
  return text;
}

}  // namespace builder
