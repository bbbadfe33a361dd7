#include "background_text_layout.h"

namespace wizard {
namespace {

constexpr double kSmallestPoints = 6;

int pixel_height(int pixels_per_inch, double points) { return static_cast<int>(pixels_per_inch * points / 72); }

}  // namespace

PlacedText layout_background_text(const BackgroundTextRequest& r,
                                      const std::function<TextExtent(int pixel_height)>& measure) {
  PlacedText out;
  if (r.empty_text || r.position < 1 || r.position > 6) return out;
  const int margin_x = r.client_width / 200;
  const int margin_y = r.client_height / 400;

  double points = r.points;
  int height = 0, offset = 0;
  TextExtent extent;
  for (;;) {
    height = pixel_height(r.pixels_per_inch, points);
    offset = r.shadow_factor * height / 1300;
    extent = measure(height);
    if (extent.width <= r.client_width - offset - margin_x || points <= kSmallestPoints) break;
    points = points - 1 < kSmallestPoints ? kSmallestPoints : points - 1;
  }

  const int room = r.client_width - 2 * margin_x - offset;
  int x = margin_x;
  switch ((r.position - 1) % 3) {
    case 1:
      x += (room - extent.width) / 2;
      break;
    case 2:
      x += room - extent.width;
      break;
  }
  const int y = r.position <= 3 ? margin_y : r.client_height - extent.height - offset - margin_y;
  return {true, points, height, offset, x, y};
}

}  // namespace wizard
