#pragma once
// Where the background window paints its title and copyright line, and how
// large: the size shrinks, a point at a time, until the text fits.
#include <functional>

namespace wizard {

// 0 none; 1, 2, 3 top left, centre, right; 4, 5, 6 bottom left, centre, right.
using TextPosition = int;

struct TextExtent {
  int width = 0;
  int height = 0;
};

struct PlacedText {
  bool painted = false;
  double points = 0;        // the size it is painted at
  int pixel_height = 0;     // the font's height for that size
  int shadow_offset = 0;    // 0: no shadow
  int x = 0, y = 0;         // the text's top left corner
  bool operator==(const PlacedText&) const = default;
};

struct BackgroundTextRequest {
  int client_width = 0;
  int client_height = 0;
  int pixels_per_inch = 96;  // vertical
  double points = 0;         // the wanted size
  int shadow_factor = 0;     // 0: no shadow
  TextPosition position = 0;
  bool empty_text = false;
};

// `measure` gives the text's extent in a font of the given pixel height.
PlacedText layout_background_text(const BackgroundTextRequest& request,
                                      const std::function<TextExtent(int pixel_height)>& measure);

}  // namespace wizard
