#pragma once
// The resources of a 32-bit PE image: the three-level tree (type, name,
// language) of the resource section read back, and written anew with some
// resources replaced. The builder puts the author's wizard pictures into the
// runtime stub this way, before the installation data is appended.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace setup {

// A resource's type or name: a number, or a text when `text` is not empty.
struct ResourceKey {
  std::uint32_t id = 0;
  std::u16string text;
  bool operator==(const ResourceKey&) const = default;
};

struct Resource {
  ResourceKey type;
  ResourceKey name;
  std::uint16_t language = 0;
  std::uint32_t code_page = 0;
  std::span<const std::uint8_t> data;  // inside the bytes the resource was read from
};

// The resource section's place in the image.
inline constexpr std::uint32_t kResourceDirectory = 2;
inline constexpr std::uint32_t kBaseRelocationDirectory = 5;

// Every resource of the image, in the order of its tree. An image without
// resources gives none. False with the reason in `error` when the headers
// or the tree lie outside the file, or the tree is not three levels deep.
bool read_resources(std::span<const std::uint8_t> file, std::vector<Resource>& out, std::string& error);

// Writes the resource section anew: each replacement takes the place of the
// resources of its type and name (which keep their language and code page),
// or is added when there is none. The tree is laid out the same way for the
// same resources, so the result depends on nothing else. When it outgrows
// the section, the sections behind it move: in the file always, in memory
// only when they are discardable and no directory but the base relocations
// points into them. The data directory entry, the image size, the
// initialised-data size and the checksum follow. False with the reason,
// and the file unchanged, for what it cannot handle (a signed image, a tree
// that does not start its own section, sections that cannot move).
bool replace_resources(std::vector<std::uint8_t>& file, std::span<const Resource> replacements, std::string& error);

}  // namespace setup
