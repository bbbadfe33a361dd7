#include "background_bitmap_layout.h"

#include <cstdlib>

namespace wizard {

std::optional<Rect> background_bitmap_rect(int cw, int ch, int bw, int bh, std::uint32_t mode, int percent) {
  if (percent <= 0 || bw <= 0 || bh <= 0 || cw <= 0 || ch <= 0) return std::nullopt;
  if (percent > 100) percent = 100;
  if (mode == static_cast<std::uint32_t>(StretchMode::tile)) return Rect{0, 0, bw, bh};
  // The window's rectangle at the chosen percentage, centred.
  const int box_w = int(std::int64_t(cw) * percent / 100), box_h = int(std::int64_t(ch) * percent / 100);
  int w = box_w, h = box_h;
  if (mode == static_cast<std::uint32_t>(StretchMode::proportional)) {
    if (std::int64_t(bw) * box_h > std::int64_t(bh) * box_w) {
      h = int(std::int64_t(bh) * box_w / bw);
    } else {
      w = int(std::int64_t(bw) * box_h / bh);
    }
  } else if (mode == static_cast<std::uint32_t>(StretchMode::natural)) {
    w = bw;
    h = bh;
  }
  return Rect{(cw - w) / 2, (ch - h) / 2, w, h};
}

}  // namespace wizard
