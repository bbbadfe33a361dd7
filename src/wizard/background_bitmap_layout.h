#pragma once
// Where the background window draws the author's bitmap.
#include <cstdint>
#include <optional>
#include <span>

namespace wizard {

enum class StretchMode : std::uint32_t { stretch = 0, proportional = 1, natural = 2, tile = 3 };

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

// The bitmap's rectangle in the client area (for tiling: the first tile, at
// the origin). Nothing when no bitmap is drawn (size 0 percent or an empty
// bitmap). Modes above 3 stretch.
std::optional<Rect> background_bitmap_rect(int client_width, int client_height, int bitmap_width,
                                            int bitmap_height, std::uint32_t mode, int size_percent);


}  // namespace wizard
