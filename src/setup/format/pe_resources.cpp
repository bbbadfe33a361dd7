#include "pe_resources.h"

#include <algorithm>
#include <optional>

#include "pe_edit.h"
#include "pe_image.h"

namespace setup {
namespace {

// Header and section fields beside those of pe_edit.h.
constexpr std::uint32_t kPeSymbolTableOffset = 12;
constexpr std::uint32_t kSecInitializedData = 0x00000040;
constexpr std::uint32_t kSecDiscardable = 0x02000000;

// The tree's records.
constexpr std::uint32_t kDirectoryHeader = 16;
constexpr std::uint32_t kDirectoryEntry = 8;
constexpr std::uint32_t kDataEntry = 16;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::uint32_t kDataAlignment = 8;
// More than any program carries; it also bounds a tree whose directories
// share their subdirectories.
constexpr std::size_t kMaxResources = 16384;
constexpr std::size_t kMaxEntriesVisited = 1 << 20;
constexpr std::uint32_t kDebugDirectory = 6;
constexpr std::uint32_t kDebugEntry = 28;
constexpr std::uint32_t kDebugRawPosition = 24;

struct Section {
  std::uint32_t virtual_address = 0, virtual_size = 0, raw_size = 0, raw_position = 0, characteristics = 0;
  std::uint32_t extent() const { return std::max(virtual_size, raw_size); }
};

struct Image {
  PeHeaders headers;
  std::vector<Section> sections;
  std::uint32_t directory_count = 0;
  std::uint32_t resource_rva = 0, resource_size = 0;

  std::uint32_t directory_at(std::uint32_t index) const {
    return headers.optional_header + kOptDirectories + index * 8;
  }
  // The section whose memory holds the address.
  int section_of(std::uint32_t rva) const {
    for (std::size_t i = 0; i < sections.size(); ++i)
      if (rva >= sections[i].virtual_address && rva - sections[i].virtual_address < sections[i].extent())
        return int(i);
    return -1;
  }
  // The file position of `length` bytes at the address, when the file holds
  // them all.
  std::optional<std::uint64_t> position_of(std::uint32_t rva, std::uint32_t length, std::size_t file_size) const {
    int i = section_of(rva);
    if (i < 0) return std::nullopt;
    const Section& s = sections[i];
    std::uint64_t offset = rva - s.virtual_address;
    if (offset + length > s.raw_size) return std::nullopt;
    std::uint64_t at = std::uint64_t(s.raw_position) + offset;
    if (at + length > file_size) return std::nullopt;
    return at;
  }
};

bool read_image(std::span<const std::uint8_t> file, Image& image, std::string& error) {
  if (!read_pe_headers(file, image.headers, error)) return false;
  const PeHeaders& h = image.headers;
  for (std::uint32_t i = 0; i < h.section_count; ++i) {
    std::size_t at = h.section_table + std::size_t(i) * kSectionEntrySize;
    image.sections.push_back({read_u32(file, at + kSecVirtualAddress), read_u32(file, at + kSecVirtualSize),
                              read_u32(file, at + kSecRawSize), read_u32(file, at + kSecRawPosition),
                              read_u32(file, at + kSecCharacteristics)});
  }
  image.directory_count = read_u32(file, h.optional_header + kOptDirectoryCount);
  if (image.directory_count > kResourceDirectory) {
    image.resource_rva = read_u32(file, image.directory_at(kResourceDirectory));
    image.resource_size = read_u32(file, image.directory_at(kResourceDirectory) + 4);
  }
  return true;
}

// Bounds-checked reads inside the resource tree.
struct Tree {
  std::span<const std::uint8_t> bytes;
  bool has(std::uint64_t at, std::uint64_t n) const { return at <= bytes.size() && n <= bytes.size() - at; }
};

bool read_key(const Tree& tree, std::uint32_t name, ResourceKey& key, std::string& error) {
  if (!(name & kHighBit)) {
    key.id = name;
    return true;
  }
  std::uint32_t at = name & ~kHighBit;
  if (!tree.has(at, 2)) {
    error = "a resource name lies outside the resource section";
    return false;
  }
  std::uint16_t length = read_u16(tree.bytes, at);
  if (length == 0 || !tree.has(std::uint64_t(at) + 2, std::uint64_t(length) * 2)) {
    error = "a resource name lies outside the resource section";
    return false;
  }
  for (std::uint32_t i = 0; i < length; ++i) key.text.push_back(char16_t(read_u16(tree.bytes, at + 2 + 2 * i)));
  return true;
}

struct Walk {
  std::span<const std::uint8_t> file;
  const Image& image;
  Tree tree;
  std::vector<Resource>& out;
  std::string& error;
  std::size_t visited = 0;

  // Level 0 lists types, 1 names, 2 languages (whose entries are data).
  bool directory(std::uint32_t at, int level, Resource& path) {
    if (!tree.has(at, kDirectoryHeader)) return fail("a resource directory lies outside the resource section");
    std::uint32_t count = std::uint32_t(read_u16(tree.bytes, at + 12)) + read_u16(tree.bytes, at + 14);
    if (!tree.has(std::uint64_t(at) + kDirectoryHeader, std::uint64_t(count) * kDirectoryEntry))
      return fail("a resource directory lies outside the resource section");
    for (std::uint32_t i = 0; i < count; ++i) {
      if (++visited > kMaxEntriesVisited) return fail("the resource tree is too large");
      std::uint32_t entry = at + kDirectoryHeader + i * kDirectoryEntry;
      std::uint32_t name = read_u32(tree.bytes, entry), target = read_u32(tree.bytes, entry + 4);
      ResourceKey key;
      if (!read_key(tree, name, key, error)) return false;
      bool is_directory = (target & kHighBit) != 0;
      if (is_directory != (level < 2)) return fail("the resource tree is not three levels deep");
      if (level == 0) path.type = key;
      if (level == 1) path.name = key;
      if (level < 2) {
        if (!directory(target & ~kHighBit, level + 1, path)) return false;
        continue;
      }
      if (key.id > 0xFFFF || !key.text.empty()) return fail("a resource language is not a number");
      if (!tree.has(target, kDataEntry)) return fail("a resource data entry lies outside the resource section");
      std::uint32_t rva = read_u32(tree.bytes, target), size = read_u32(tree.bytes, target + 4);
      // Empty data may point anywhere; nothing is read from it.
      auto position = size ? image.position_of(rva, size, file.size()) : std::optional<std::uint64_t>(0);
      if (!position) return fail("a resource's data lies outside the file");
      if (out.size() >= kMaxResources) return fail("too many resources");
      Resource r = path;
      r.language = std::uint16_t(key.id);
      r.code_page = read_u32(tree.bytes, target + 8);
      r.data = file.subspan(*position, size);
      out.push_back(std::move(r));
    }
    return true;
  }

  bool fail(const char* why) {
    error = why;
    return false;
  }
};

// Texts before numbers; texts by their code units, numbers by value (the
// order the system's lookup expects).
bool key_less(const ResourceKey& a, const ResourceKey& b) {
  if (a.text.empty() != b.text.empty()) return !a.text.empty();
  if (!a.text.empty()) return a.text < b.text;
  return a.id < b.id;
}

bool resource_less(const Resource& a, const Resource& b) {
  if (!(a.type == b.type)) return key_less(a.type, b.type);
  if (!(a.name == b.name)) return key_less(a.name, b.name);
  return a.language < b.language;
}

// The tree for sorted resources, its data addressed from `rva`: all
// directories, then the names, then the data entries, then the data.
std::vector<std::uint8_t> lay_out(const std::vector<Resource>& items, std::uint32_t rva) {
  struct Node {
    ResourceKey key;
    std::vector<std::size_t> children;  // nodes below; for a language: the item
    std::uint32_t offset = 0;
  };
  std::vector<Node> types, names, languages;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const Resource& r = items[i];
    if (types.empty() || !(types.back().key == r.type)) types.push_back({r.type, {}, 0});
    if (types.back().children.empty() || !(names[types.back().children.back()].key == r.name)) {
      types.back().children.push_back(names.size());
      names.push_back({r.name, {}, 0});
    }
    names.back().children.push_back(languages.size());
    languages.push_back({ResourceKey{r.language, {}}, {i}, 0});
  }
  std::uint32_t at = kDirectoryHeader + kDirectoryEntry * std::uint32_t(types.size());
  for (Node& n : types) {
    n.offset = at;
    at += kDirectoryHeader + kDirectoryEntry * std::uint32_t(n.children.size());
  }
  for (Node& n : names) {
    n.offset = at;
    at += kDirectoryHeader + kDirectoryEntry * std::uint32_t(n.children.size());
  }
  std::vector<std::uint32_t> text_offsets;  // for the types, then the names
  for (const std::vector<Node>* level : {&types, &names})
    for (const Node& n : *level) {
      text_offsets.push_back(at);
      if (!n.key.text.empty()) at += 2 + 2 * std::uint32_t(n.key.text.size());
    }
  at = align_up(at, 4);
  for (Node& n : languages) {
    n.offset = at;
    at += kDataEntry;
  }
  std::vector<std::uint32_t> data_offsets;
  for (const Resource& r : items) {
    at = align_up(at, kDataAlignment);
    data_offsets.push_back(at);
    at += std::uint32_t(r.data.size());
  }

  std::vector<std::uint8_t> tree(at, 0);
  std::size_t text_index = 0;
  auto key_word = [&](const Node& n) {
    std::uint32_t word = n.key.text.empty() ? n.key.id : (text_offsets[text_index] | kHighBit);
    ++text_index;
    return word;
  };
  auto directory = [&](std::uint32_t offset, const std::vector<Node>& level, const std::vector<std::size_t>& children,
                       bool leaves) {
    std::uint16_t named = 0;
    for (std::size_t c : children) named += level[c].key.text.empty() ? 0 : 1;
    put_u16(tree, offset + 12, named);
    put_u16(tree, offset + 14, std::uint16_t(children.size() - named));
    for (std::size_t k = 0; k < children.size(); ++k) {
      const Node& child = level[children[k]];
      std::uint32_t entry = offset + kDirectoryHeader + kDirectoryEntry * std::uint32_t(k);
      put_u32(tree, entry + 4, leaves ? child.offset : (child.offset | kHighBit));
    }
  };
  std::vector<std::size_t> all_types(types.size());
  for (std::size_t i = 0; i < types.size(); ++i) all_types[i] = i;
  directory(0, types, all_types, false);
  for (const Node& t : types) directory(t.offset, names, t.children, false);
  for (const Node& n : names) directory(n.offset, languages, n.children, true);
  // The key words, in the order the texts were placed.
  for (std::size_t i = 0; i < types.size(); ++i) put_u32(tree, kDirectoryHeader + kDirectoryEntry * i, key_word(types[i]));
  for (const Node& t : types)
    for (std::size_t k = 0; k < t.children.size(); ++k)
      put_u32(tree, t.offset + kDirectoryHeader + kDirectoryEntry * k, key_word(names[t.children[k]]));
  for (const Node& n : names)
    for (std::size_t k = 0; k < n.children.size(); ++k)
      put_u32(tree, n.offset + kDirectoryHeader + kDirectoryEntry * k, languages[n.children[k]].key.id);
  // Name texts: they were counted in the order types, then names.
  text_index = 0;
  for (const std::vector<Node>* level : {&types, &names})
    for (const Node& n : *level) {
      std::uint32_t offset = text_offsets[text_index++];
      if (n.key.text.empty()) continue;
      put_u16(tree, offset, std::uint16_t(n.key.text.size()));
      for (std::size_t c = 0; c < n.key.text.size(); ++c) put_u16(tree, offset + 2 + 2 * c, n.key.text[c]);
    }
  for (std::size_t i = 0; i < items.size(); ++i) {
    std::uint32_t entry = languages[i].offset;
    put_u32(tree, entry, rva + data_offsets[i]);
    put_u32(tree, entry + 4, std::uint32_t(items[i].data.size()));
    put_u32(tree, entry + 8, items[i].code_page);
    std::copy(items[i].data.begin(), items[i].data.end(), tree.begin() + data_offsets[i]);
  }
  return tree;
}

}  // namespace

bool read_resources(std::span<const std::uint8_t> file, std::vector<Resource>& out, std::string& error) {
  out.clear();
  Image image;
  if (!read_image(file, image, error)) return false;
  if (image.resource_rva == 0 || image.resource_size == 0) return true;
  int index = image.section_of(image.resource_rva);
  if (index < 0) {
    error = "the resource directory lies outside the image";
    return false;
  }
  const Section& s = image.sections[index];
  std::uint64_t offset = image.resource_rva - s.virtual_address;
  std::uint64_t at = std::uint64_t(s.raw_position) + offset;
  if (offset >= s.raw_size || at >= file.size()) {
    error = "the resource directory lies outside the file";
    return false;
  }
  std::uint64_t available = std::min<std::uint64_t>(s.raw_size - offset, file.size() - at);
  Walk walk{file, image, Tree{file.subspan(at, std::min<std::uint64_t>(available, image.resource_size))}, out,
            error};
  Resource path;
  if (!walk.directory(0, 0, path)) {
    out.clear();
    return false;
  }
  return true;
}

bool replace_resources(std::vector<std::uint8_t>& file, std::span<const Resource> replacements, std::string& error) {
  const std::vector<std::uint8_t> old = file;  // the read resources point into it
  Image image;
  std::vector<Resource> items;
  if (!read_image(old, image, error) || !read_resources(old, items, error)) return false;
  const PeHeaders& h = image.headers;
  if (h.certificate_size != 0) {
    error = "the image is signed; its resources cannot change";
    return false;
  }
  int index = image.resource_rva ? image.section_of(image.resource_rva) : -1;
  if (index < 0 || image.sections[index].virtual_address != image.resource_rva ||
      image.sections[index].raw_position == 0) {
    error = "the image's resources do not have a section of their own";
    return false;
  }
  const Section rsrc = image.sections[index];
  if (std::uint64_t(rsrc.raw_position) + rsrc.raw_size > old.size()) {
    error = "the resource section lies outside the file";
    return false;
  }
  // Written in place, it must not share bytes with the headers or another
  // section.
  const std::uint64_t headers_end =
      std::max<std::uint64_t>(h.size_of_headers, h.section_table + std::uint64_t(h.section_count) * kSectionEntrySize);
  bool overlaps = rsrc.raw_position < headers_end;
  for (std::size_t i = 0; i < image.sections.size(); ++i) {
    const Section& s = image.sections[i];
    if (int(i) == index || s.raw_size == 0) continue;
    overlaps = overlaps || (std::uint64_t(s.raw_position) < std::uint64_t(rsrc.raw_position) + rsrc.raw_size &&
                            std::uint64_t(rsrc.raw_position) < std::uint64_t(s.raw_position) + s.raw_size);
  }
  if (overlaps) {
    error = "the resource section overlaps the headers or another section";
    return false;
  }

  for (const Resource& replacement : replacements) {
    bool found = false;
    for (Resource& r : items)
      if (r.type == replacement.type && r.name == replacement.name) {
        r.data = replacement.data;
        found = true;
      }
    if (!found) items.push_back(replacement);
  }
  std::stable_sort(items.begin(), items.end(), resource_less);
  for (std::size_t i = 1; i < items.size(); ++i)
    if (!resource_less(items[i - 1], items[i])) {
      error = "the image lists a resource twice";
      return false;
    }
  std::vector<std::uint8_t> tree = lay_out(items, rsrc.virtual_address);

  // The new section's size, and how far the sections behind it move.
  const std::uint32_t raw_size = std::max(rsrc.raw_size, align_up(tree.size(), h.file_alignment));
  const std::uint32_t file_shift = raw_size - rsrc.raw_size;
  const std::uint64_t new_end = align_up(std::uint64_t(rsrc.virtual_address) + std::max<std::uint64_t>(tree.size(), raw_size),
                                         h.section_alignment);
  std::uint64_t next = UINT64_MAX;
  for (const Section& s : image.sections)
    if (s.virtual_address > rsrc.virtual_address) next = std::min<std::uint64_t>(next, s.virtual_address);
  const std::uint32_t memory_shift = next != UINT64_MAX && new_end > next ? std::uint32_t(new_end - next) : 0;
  if (memory_shift % h.section_alignment) {
    error = "the sections behind the resources are not aligned";
    return false;
  }
  if (new_end > 0x7FFF0000u || old.size() + file_shift > 0x7FFF0000u) {
    error = "the resources are too large for an executable";
    return false;
  }
  for (std::size_t i = 0; i < image.sections.size() && memory_shift; ++i) {
    const Section& s = image.sections[i];
    if (s.virtual_address <= rsrc.virtual_address) continue;
    bool movable = (s.characteristics & kSecDiscardable) != 0;
    for (std::uint32_t d = 0; d < image.directory_count && d < 16 && movable; ++d) {
      std::uint32_t rva = read_u32(old, image.directory_at(d));
      if (d != kBaseRelocationDirectory && d != kCertificateDirectory && rva && image.section_of(rva) == int(i))
        movable = false;
    }
    if (!movable) {
      std::size_t at = h.section_table + i * kSectionEntrySize;
      std::string name(reinterpret_cast<const char*>(old.data() + at), 8);
      name.resize(name.find('\0') == std::string::npos ? 8 : name.find('\0'));
      error = "the resource section cannot grow: the section " + name + " behind it cannot move";
      return false;
    }
  }

  std::vector<std::uint8_t> out(old.begin(), old.begin() + rsrc.raw_position);
  out.insert(out.end(), tree.begin(), tree.end());
  out.resize(std::size_t(rsrc.raw_position) + raw_size, 0);
  out.insert(out.end(), old.begin() + rsrc.raw_position + rsrc.raw_size, old.end());

  std::uint64_t image_end = h.size_of_headers;
  for (std::size_t i = 0; i < image.sections.size(); ++i) {
    const Section& s = image.sections[i];
    std::size_t at = h.section_table + i * kSectionEntrySize;
    Section placed = s;
    if (int(i) == index) {
      placed.virtual_size = std::uint32_t(tree.size());
      placed.raw_size = raw_size;
    } else {
      if (s.raw_position > rsrc.raw_position) placed.raw_position += file_shift;
      if (s.virtual_address > rsrc.virtual_address) placed.virtual_address += memory_shift;
    }
    put_u32(out, at + kSecVirtualSize, placed.virtual_size);
    put_u32(out, at + kSecVirtualAddress, placed.virtual_address);
    put_u32(out, at + kSecRawSize, placed.raw_size);
    put_u32(out, at + kSecRawPosition, placed.raw_position);
    image_end = std::max<std::uint64_t>(image_end, std::uint64_t(placed.virtual_address) + placed.extent());
  }
  put_u32(out, image.directory_at(kResourceDirectory) + 4, std::uint32_t(tree.size()));
  if (memory_shift && image.directory_count > kBaseRelocationDirectory) {
    std::uint32_t at = image.directory_at(kBaseRelocationDirectory);
    std::uint32_t rva = read_u32(old, at);
    if (rva > rsrc.virtual_address) put_u32(out, at, rva + memory_shift);
  }
  put_u32(out, h.optional_header + kOptSizeOfImage, align_up(image_end, h.section_alignment));
  if (rsrc.characteristics & kSecInitializedData)
    put_u32(out, h.optional_header + kOptInitializedData,
            read_u32(old, h.optional_header + kOptInitializedData) + file_shift);
  // Debug data is found by its file position.
  if (file_shift && image.directory_count > kDebugDirectory) {
    std::uint32_t rva = read_u32(old, image.directory_at(kDebugDirectory));
    std::uint32_t size = read_u32(old, image.directory_at(kDebugDirectory) + 4);
    auto at = rva ? image.position_of(rva, size, old.size()) : std::nullopt;
    // Its entries are changed where they lie: not among the headers, nor in
    // the resources that are written anew.
    if (rva && (!at || *at < headers_end ||
                (*at < std::uint64_t(rsrc.raw_position) + rsrc.raw_size && *at + size > rsrc.raw_position))) {
      error = "the debug directory lies outside the file or in the way";
      return false;
    }
    for (std::uint32_t k = 0; at && k + kDebugEntry <= size; k += kDebugEntry) {
      std::uint64_t entry = *at + k + (*at >= rsrc.raw_position + rsrc.raw_size ? file_shift : 0);
      std::uint32_t raw = read_u32(old, *at + k + kDebugRawPosition);
      if (raw > rsrc.raw_position) put_u32(out, entry + kDebugRawPosition, raw + file_shift);
    }
  }
  std::uint32_t symbols = read_u32(old, h.pe_header + kPeSymbolTableOffset);
  if (symbols > rsrc.raw_position) put_u32(out, h.pe_header + kPeSymbolTableOffset, symbols + file_shift);
  update_pe_checksum(out);
  file = std::move(out);
  return true;
}

}  // namespace setup
