#include "summary_layout.h"

namespace wizard {
namespace {
constexpr int kBoxStep = 14;
constexpr int kBoxHeight = 9;
constexpr int kBoxesEnd = 275;  // the boxes reach to this x
}  // namespace

std::array<SummaryBoxPlace, 4> summary_box_layout(PageStyle style, const std::array<bool, 4>& shown) {
  int hidden = 0;
  for (bool s : shown) hidden += s ? 0 : 1;
  int x = 0, y = 0;
  switch (style) {
    case PageStyle::plain:  // the short page: the boxes stay centred as a block
      x = 12;
      y = 32 + 7 * hidden;
      break;
    case PageStyle::header:
      x = 20;
      y = 78;
      break;
    case PageStyle::side_picture:
    case PageStyle::panel:
      x = 98;
      y = 52;
      break;
  }
  std::array<SummaryBoxPlace, 4> places{};
  for (std::size_t i = 0; i < places.size(); ++i) {
    places[i].id = kSummaryBoxes[i];
    if (!shown[i]) continue;
    places[i] = {kSummaryBoxes[i], true, x, y, kBoxesEnd - x, kBoxHeight};
    y += kBoxStep;
  }
  return places;
}

}  // namespace wizard
