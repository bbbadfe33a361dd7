#pragma once
// Where the summary page's option boxes go: only the boxes whose text exists
// are shown, stacked in a fixed order without gaps for the missing ones.
#include <array>

#include "page_style.h"

namespace wizard {

// The summary's check boxes, in their stacking order.
inline constexpr int kStartApplicationBox = 1025;
inline constexpr int kOpenFolderBox = 1023;
inline constexpr int kOpenDocumentBox = 1029;
inline constexpr int kShowLogBox = 1027;
inline constexpr std::array<int, 4> kSummaryBoxes = {kStartApplicationBox, kOpenFolderBox, kOpenDocumentBox,
                                                     kShowLogBox};

// A box's place in dialog units; a hidden box keeps no place.
struct SummaryBoxPlace {
  int id = 0;
  bool shown = false;
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const SummaryBoxPlace&) const = default;
};

// `shown` is indexed like kSummaryBoxes.
std::array<SummaryBoxPlace, 4> summary_box_layout(PageStyle style, const std::array<bool, 4>& shown);

}  // namespace wizard
