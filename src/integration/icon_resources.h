#pragma once
// An icon file turned into the resources that carry it in an executable:
// one icon resource per image, numbered from 1, and a group-icon directory
// that lists them. Parsing is pure; replace_icon_resources writes them into
// a file.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace integration {

struct IconResources {
  std::vector<std::span<const std::uint8_t>> images;  // resource n + 1 is images[n]
  std::vector<std::uint8_t> group;  // the group-icon directory, 14-byte entries
};

// The icon file's images and group directory; nothing when the bytes are no
// icon file (wrong header, no image, an entry outside the data).
std::optional<IconResources> icon_resources(std::span<const std::uint8_t> icon_file);

// Windows only.
//
// Replaces the icon resources of an executable file with the icon file's
// (icon type 3 and group type 14, group number 1, language 1033); the update
// is committed only when every resource was written. Logs "Failed to open
// uninstaller for icon replacement." or "Failed to replace uninstaller
// icon."; a crash inside ends it without a message.
bool replace_icon_resources(const std::u16string& executable, std::span<const std::uint8_t> icon_file);

}  // namespace integration
