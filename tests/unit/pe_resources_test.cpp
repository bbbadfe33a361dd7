// The resource tree of a PE image: read from a tree laid out unlike the
// writer's, rewritten with pictures replaced and added, the section grown
// with the base relocations behind it moved, and what cannot be handled
// refused with the file unchanged.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "pe_edit.h"
#include "pe_image.h"
#include "pe_resources.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using setup::Resource;
using setup::ResourceKey;

constexpr std::uint32_t kPe = 0x80, kOpt = kPe + 24, kTable = kOpt + 0xE0;
constexpr std::uint32_t kResourceRva = 0x2000, kBehindRva = 0x3000;
constexpr std::uint32_t kReadable = 0x40000040, kDiscardable = 0x02000000;

struct Item {
  ResourceKey type;
  std::uint32_t name;
  std::uint16_t language;
  std::string data;
};

// A tree for the given items (sorted as the system wants them), laid out
// unlike the writer's: the root, then the data, then the data entries, then
// the directories from the deepest up.
Bytes tree_of(const std::vector<Item>& items, std::uint32_t rva) {
  using Entries = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
  Bytes t;
  auto put16 = [&](std::size_t at, std::uint32_t v) { setup::put_u16(t, at, std::uint16_t(v)); };
  auto put32 = [&](std::size_t at, std::uint32_t v) { setup::put_u32(t, at, v); };
  auto directory_at = [&](std::uint32_t at, const Entries& entries, int named) {
    put16(at + 12, named);
    put16(at + 14, std::uint32_t(entries.size()) - named);
    for (std::size_t e = 0; e < entries.size(); ++e) {
      put32(at + 16 + 8 * e, entries[e].first);
      put32(at + 20 + 8 * e, entries[e].second);
    }
  };
  auto directory = [&](const Entries& entries, int named) {
    std::uint32_t at = std::uint32_t(t.size());
    t.resize(t.size() + 16 + 8 * entries.size());
    directory_at(at, entries, named);
    return at;
  };
  std::size_t type_count = 0;
  for (std::size_t k = 0; k < items.size(); ++k) type_count += k == 0 || !(items[k].type == items[k - 1].type);
  t.resize(16 + 8 * type_count);  // the root, filled in at the end
  std::vector<std::uint32_t> data_at, entry_at;
  for (const Item& i : items) {
    data_at.push_back(std::uint32_t(t.size()));
    t.insert(t.end(), i.data.begin(), i.data.end());
    while (t.size() % 4) t.push_back(0);
  }
  for (std::size_t k = 0; k < items.size(); ++k) {
    entry_at.push_back(std::uint32_t(t.size()));
    t.resize(t.size() + 16);
    put32(entry_at[k], rva + data_at[k]);
    put32(entry_at[k] + 4, std::uint32_t(items[k].data.size()));
  }
  Entries types;
  int named_types = 0;
  for (std::size_t k = 0; k < items.size();) {
    Entries names;
    std::size_t type_end = k;
    while (type_end < items.size() && items[type_end].type == items[k].type) ++type_end;
    for (std::size_t n = k; n < type_end;) {
      Entries languages;
      std::size_t name_end = n;
      for (; name_end < type_end && items[name_end].name == items[n].name; ++name_end)
        languages.push_back({items[name_end].language, entry_at[name_end]});
      names.push_back({items[n].name, directory(languages, 0) | 0x80000000u});
      n = name_end;
    }
    std::uint32_t key = items[k].type.id;
    if (!items[k].type.text.empty()) {
      key = std::uint32_t(t.size()) | 0x80000000u;
      t.resize(t.size() + 2);
      put16(t.size() - 2, std::uint32_t(items[k].type.text.size()));
      for (char16_t c : items[k].type.text) t.insert(t.end(), {std::uint8_t(c), std::uint8_t(c >> 8)});
      while (t.size() % 4) t.push_back(0);
      ++named_types;
    }
    types.push_back({key, directory(names, 0) | 0x80000000u});
    k = type_end;
  }
  directory_at(0, types, named_types);
  return t;
}

std::vector<Item> standard_items() {
  return {{{0, u"PNG"}, 2, 0, "side picture"},
          {{0, u"PNG"}, 3, 0, "header band"},
          {{16, {}}, 1, 0x409, "version information"}};
}

// Headers, .text, .rsrc holding the tree, then a third section (base
// relocations by default) behind it.
Bytes image_of(const Bytes& tree, std::uint32_t behind_flags = kReadable | kDiscardable, bool relocations = true) {
  const std::uint32_t rsrc_raw = (std::uint32_t(tree.size()) + 0x1FF) & ~0x1FFu;
  Bytes b(0x400 + 0x200 + rsrc_raw + 0x200, 0);
  b[0] = 'M', b[1] = 'Z';
  setup::put_u32(b, 60, kPe);
  std::memcpy(&b[kPe], "PE\0\0", 4);
  setup::put_u16(b, kPe + 4, 0x14C);
  setup::put_u16(b, kPe + 6, 3);
  setup::put_u16(b, kPe + 20, 0xE0);
  setup::put_u16(b, kOpt, 0x10B);
  setup::put_u32(b, kOpt + 8, rsrc_raw + 0x200);
  setup::put_u32(b, kOpt + 32, 0x1000);
  setup::put_u32(b, kOpt + 36, 0x200);
  setup::put_u32(b, kOpt + 56, 0x4000);
  setup::put_u32(b, kOpt + 60, 0x400);
  setup::put_u32(b, kOpt + 92, 16);
  setup::put_u32(b, kOpt + 96 + 2 * 8, kResourceRva);
  setup::put_u32(b, kOpt + 96 + 2 * 8 + 4, std::uint32_t(tree.size()));
  if (relocations) {
    setup::put_u32(b, kOpt + 96 + 5 * 8, kBehindRva);
    setup::put_u32(b, kOpt + 96 + 5 * 8 + 4, 0x40);
  }
  struct {
    const char* name;
    std::uint32_t va, vsize, raw, position, flags;
  } sections[] = {{".text", 0x1000, 0x180, 0x200, 0x400, 0x60000020},
                  {".rsrc", kResourceRva, std::uint32_t(tree.size()), rsrc_raw, 0x600, kReadable},
                  {relocations ? ".reloc" : ".data", kBehindRva, 0x40, 0x200, 0x600 + rsrc_raw, behind_flags}};
  for (std::uint32_t i = 0; i < 3; ++i) {
    std::size_t e = kTable + i * 40;
    std::memcpy(&b[e], sections[i].name, std::strlen(sections[i].name));
    setup::put_u32(b, e + 8, sections[i].vsize);
    setup::put_u32(b, e + 12, sections[i].va);
    setup::put_u32(b, e + 16, sections[i].raw);
    setup::put_u32(b, e + 20, sections[i].position);
    setup::put_u32(b, e + 36, sections[i].flags);
  }
  for (std::uint32_t k = 0; k < 0x180; ++k) b[0x400 + k] = std::uint8_t(k * 7);
  std::copy(tree.begin(), tree.end(), b.begin() + 0x600);
  for (std::uint32_t k = 0; k < 0x40; ++k) b[0x600 + rsrc_raw + k] = std::uint8_t(0xA0 + k);
  setup::update_pe_checksum(b);
  return b;
}

std::string text(std::span<const std::uint8_t> data) { return {data.begin(), data.end()}; }

std::span<const std::uint8_t> bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

Resource picture(std::uint32_t id, const std::string& data) {
  Resource r;
  r.type.text = u"PNG";
  r.name.id = id;
  r.data = bytes(data);
  return r;
}

struct Section {
  std::uint32_t va, vsize, raw, position;
};
Section section(const Bytes& b, int i) {
  std::size_t e = kTable + i * 40;
  return {setup::read_u32(b, e + 12), setup::read_u32(b, e + 8), setup::read_u32(b, e + 16),
          setup::read_u32(b, e + 20)};
}

TEST(PeResources, ReadsATreeLaidOutUnlikeTheWriters) {
  Bytes image = image_of(tree_of(standard_items(), kResourceRva));
  std::vector<Resource> read;
  std::string error;
  ASSERT_TRUE(setup::read_resources(image, read, error)) << error;
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read[0].type.text, u"PNG");
  EXPECT_EQ(read[0].name.id, 2u);
  EXPECT_EQ(text(read[0].data), "side picture");
  EXPECT_EQ(text(read[1].data), "header band");
  EXPECT_EQ(read[2].type.id, 16u);
  EXPECT_EQ(read[2].language, 0x409);
  EXPECT_EQ(text(read[2].data), "version information");
}

TEST(PeResources, GrowingReplacementReadsBackAndMovesTheRelocationsBehind) {
  const Bytes before = image_of(tree_of(standard_items(), kResourceRva));
  const std::string big(9000, 'S');  // far beyond the section's 0x200 bytes
  Bytes image = before;
  std::string error;
  ASSERT_TRUE(setup::replace_resources(image, std::vector<Resource>{picture(2, big), picture(7, "retry")}, error))
      << error;

  setup::PeHeaders h;
  ASSERT_TRUE(setup::read_pe_headers(image, h, error)) << error;
  std::vector<Resource> read;
  ASSERT_TRUE(setup::read_resources(image, read, error)) << error;
  ASSERT_EQ(read.size(), 4u);
  EXPECT_EQ(text(read[0].data), big);
  EXPECT_EQ(text(read[1].data), "header band");
  EXPECT_EQ(read[2].name.id, 7u);  // added, in its place among the names
  EXPECT_EQ(text(read[2].data), "retry");
  EXPECT_EQ(read[3].language, 0x409);
  EXPECT_EQ(text(read[3].data), "version information");

  Section rsrc = section(image, 1), reloc = section(image, 2);
  EXPECT_EQ(rsrc.va, kResourceRva);
  EXPECT_GE(rsrc.raw, 9000u);
  EXPECT_EQ(rsrc.raw % 0x200, 0u);
  EXPECT_EQ(setup::read_u32(image, kOpt + 96 + 2 * 8 + 4), rsrc.vsize);
  EXPECT_EQ(reloc.position, rsrc.position + rsrc.raw);
  EXPECT_EQ(reloc.va, 0x1000 * ((kResourceRva + rsrc.raw + 0xFFF) / 0x1000));
  EXPECT_EQ(setup::read_u32(image, kOpt + 96 + 5 * 8), reloc.va);
  EXPECT_EQ(setup::read_u32(image, kOpt + 56), reloc.va + 0x1000);
  EXPECT_EQ(setup::read_u32(image, kOpt + 8), setup::read_u32(before, kOpt + 8) + rsrc.raw - 0x200);
  EXPECT_EQ(setup::read_u32(image, kOpt + 64), setup::pe_image_checksum(image, kOpt + 64));
  // The code and the relocations themselves are untouched.
  EXPECT_TRUE(std::equal(before.begin() + 0x400, before.begin() + 0x600, image.begin() + 0x400));
  EXPECT_TRUE(std::equal(before.begin() + 0x800, before.begin() + 0xA00, image.begin() + reloc.position));
  EXPECT_EQ(image.size(), reloc.position + 0x200u);
}

TEST(PeResources, SameInputsGiveTheSameBytesAndTheSameDataChangesNothingTwice) {
  const Bytes before = image_of(tree_of(standard_items(), kResourceRva));
  const std::string data(3000, 'x');
  Bytes once = before, again = before;
  std::string error;
  ASSERT_TRUE(setup::replace_resources(once, std::vector<Resource>{picture(3, data)}, error)) << error;
  ASSERT_TRUE(setup::replace_resources(again, std::vector<Resource>{picture(3, data)}, error)) << error;
  EXPECT_EQ(once, again);
  Bytes twice = once;
  ASSERT_TRUE(setup::replace_resources(twice, std::vector<Resource>{picture(3, data)}, error)) << error;
  EXPECT_EQ(twice, once);
}

TEST(PeResources, AnEmptyResourceAtTheEndOfTheTreeReadsBack) {
  std::vector<Item> items = standard_items();
  items.back().data.clear();  // the writer places its data at the very end
  Bytes image = image_of(tree_of(items, kResourceRva));
  std::string error;
  ASSERT_TRUE(setup::replace_resources(image, std::vector<Resource>{picture(2, "s")}, error)) << error;
  std::vector<Resource> read;
  ASSERT_TRUE(setup::read_resources(image, read, error)) << error;
  ASSERT_EQ(read.size(), 3u);
  EXPECT_TRUE(read[2].data.empty());
}

TEST(PeResources, ASmallerReplacementKeepsEverySectionInPlace) {
  Bytes image = image_of(tree_of(standard_items(), kResourceRva), kReadable, false);  // .data behind, fixed
  const Bytes before = image;
  std::string error;
  ASSERT_TRUE(setup::replace_resources(image, std::vector<Resource>{picture(2, "s")}, error)) << error;
  EXPECT_EQ(image.size(), before.size());
  EXPECT_EQ(section(image, 2).va, kBehindRva);
  EXPECT_EQ(section(image, 2).position, section(before, 2).position);
}

TEST(PeResources, WhatCannotBeRewrittenIsRefusedWithTheFileUnchanged) {
  const std::string big(9000, 'S');
  Bytes fixed_behind = image_of(tree_of(standard_items(), kResourceRva), kReadable, false);
  Bytes signed_image = image_of(tree_of(standard_items(), kResourceRva));
  setup::put_u32(signed_image, kOpt + 96 + 4 * 8, 0x1000);
  setup::put_u32(signed_image, kOpt + 96 + 4 * 8 + 4, 0x10);
  Bytes no_resources = image_of(tree_of(standard_items(), kResourceRva));
  setup::put_u32(no_resources, kOpt + 96 + 2 * 8, 0);
  Bytes offset_tree(0x10, 0);
  Bytes moved = tree_of(standard_items(), kResourceRva + 0x10);
  offset_tree.insert(offset_tree.end(), moved.begin(), moved.end());
  Bytes inside_a_section = image_of(offset_tree);
  setup::put_u32(inside_a_section, kOpt + 96 + 2 * 8, kResourceRva + 0x10);
  setup::put_u32(inside_a_section, kOpt + 96 + 2 * 8 + 4, std::uint32_t(moved.size()));
  std::vector<Resource> readable;
  std::string read_error;
  EXPECT_TRUE(setup::read_resources(inside_a_section, readable, read_error)) << read_error;
  Bytes shared_bytes = image_of(tree_of(standard_items(), kResourceRva));
  setup::put_u32(shared_bytes, kTable + 16, 0x400);  // .text's raw data runs into the resources
  struct Case {
    const char* what;
    Bytes image;
    const char* error;
  } cases[] = {
      {"bytes shared with .text", shared_bytes, "the resource section overlaps the headers or another section"},
      {"data section behind", fixed_behind, "the resource section cannot grow: the section .data behind it cannot move"},
      {"signed", signed_image, "the image is signed; its resources cannot change"},
      {"no resources", no_resources, "the image's resources do not have a section of their own"},
      {"tree inside a section", inside_a_section, "the image's resources do not have a section of their own"},
      {"not an image", Bytes(100, 'x'), "not an executable (no MZ header)"},
  };
  for (Case& c : cases) {
    const Bytes before = c.image;
    std::string error;
    EXPECT_FALSE(setup::replace_resources(c.image, std::vector<Resource>{picture(2, big)}, error)) << c.what;
    EXPECT_EQ(error, c.error) << c.what;
    EXPECT_EQ(c.image, before) << c.what;
  }
}

TEST(PeResources, DamagedTreesAreRefusedWithoutReadingOutside) {
  const Bytes good = image_of(tree_of(standard_items(), kResourceRva));
  const std::uint32_t root = 0x600;  // the first entry names the type "PNG"
  std::vector<Resource> read;
  std::string error;
  ASSERT_TRUE(setup::read_resources(good, read, error)) << error;
  auto changed = [&](std::size_t at, std::uint32_t v) {
    Bytes b = good;
    setup::put_u32(b, at, v);
    return b;
  };
  const std::uint32_t png_names = setup::read_u32(good, root + 20) & 0x7FFFFFFFu;
  const std::uint32_t side_languages = setup::read_u32(good, root + png_names + 20) & 0x7FFFFFFFu;
  const std::uint32_t side_entry = setup::read_u32(good, root + side_languages + 20);
  struct Case {
    const char* what;
    Bytes image;
    const char* error;
  } cases[] = {
      {"directory outside", changed(root + 20, 0x80000000u | 0x7FFF0), "a resource directory lies outside the resource section"},
      {"too many entries", changed(root + 12, 0x7FFF7FFFu), "a resource directory lies outside the resource section"},
      {"data at the top", changed(root + 20, 0x10), "the resource tree is not three levels deep"},
      {"a fourth level", changed(root + side_languages + 20, side_entry | 0x80000000u), "the resource tree is not three levels deep"},
      {"name outside", changed(root + 16, 0x80000000u | 0x7FFF0), "a resource name lies outside the resource section"},
      {"data outside the file", changed(root + side_entry + 4, 0x100000), "a resource's data lies outside the file"},
      {"tree cut short", changed(kOpt + 96 + 2 * 8 + 4, 8), "a resource directory lies outside the resource section"},
      {"directory outside the image", changed(kOpt + 96 + 2 * 8, 0x9000), "the resource directory lies outside the image"},
  };
  for (const Case& c : cases) {
    error.clear();
    EXPECT_FALSE(setup::read_resources(c.image, read, error)) << c.what;
    EXPECT_EQ(error, c.error) << c.what;
    EXPECT_TRUE(read.empty()) << c.what;
  }
}

}  // namespace
