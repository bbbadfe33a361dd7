// The wizard's geometry: the summary's option boxes, the background
// window's texts and bitmap.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "background_bitmap_layout.h"
#include "background_text_layout.h"
#include "picture.h"
#include "summary_layout.h"

namespace {

using wizard::PageStyle;
using wizard::SummaryBoxPlace;

constexpr PageStyle kStyles[] = {PageStyle::plain, PageStyle::side_picture, PageStyle::header, PageStyle::panel};

std::array<bool, 4> shown_boxes(int mask) { return {bool(mask & 1), bool(mask & 2), bool(mask & 4), bool(mask & 8)}; }

TEST(SummaryLayout, FirstBoxOfEachStyle) {
  struct Case {
    PageStyle style;
    int mask;
    int x, y;
  } cases[] = {
      {PageStyle::plain, 0b1111, 12, 32},      {PageStyle::plain, 0b0001, 12, 53},
      {PageStyle::plain, 0b1000, 12, 53},      {PageStyle::plain, 0b0110, 12, 46},
      {PageStyle::side_picture, 0b0100, 98, 52}, {PageStyle::panel, 0b1111, 98, 52},
      {PageStyle::header, 0b0010, 20, 78},
  };
  for (const Case& c : cases) {
    auto places = wizard::summary_box_layout(c.style, shown_boxes(c.mask));
    for (const SummaryBoxPlace& p : places) {
      if (!p.shown) continue;
      EXPECT_EQ(p.x, c.x);
      EXPECT_EQ(p.y, c.y) << int(c.style) << " " << c.mask;
      break;
    }
  }
}

TEST(SummaryLayout, EveryCombinationInEveryStyle) {
  for (PageStyle style : kStyles) {
    for (int mask = 0; mask < 16; ++mask) {
      auto places = wizard::summary_box_layout(style, shown_boxes(mask));
      SCOPED_TRACE(testing::Message() << "style " << int(style) << ", boxes " << mask);
      const int expected_ids[] = {1025, 1023, 1029, 1027};
      int previous_y = -1, count = 0, top = 0;
      for (int i = 0; i < 4; ++i) {
        const SummaryBoxPlace& p = places[i];
        EXPECT_EQ(p.id, expected_ids[i]);
        EXPECT_EQ(p.shown, bool(mask & (1 << i)));
        if (!p.shown) {
          EXPECT_EQ(p, (SummaryBoxPlace{p.id, false, 0, 0, 0, 0}));
          continue;
        }
        // Stacked in the table's order, 14 units apart, without gaps.
        if (previous_y >= 0) {
          EXPECT_EQ(p.y, previous_y + 14);
        }
        if (count == 0) top = p.y;
        previous_y = p.y;
        ++count;
        EXPECT_EQ(p.height, 9);
        EXPECT_EQ(p.x + p.width, 275);
        // Below the page's text and above the separator (y 92 on the short
        // plain page, 180 on the others).
        EXPECT_GE(p.y, style == PageStyle::header ? 52 : 30);
        EXPECT_LE(p.y + p.height, style == PageStyle::plain ? 92 : 180);
      }
      // The short plain page keeps the stack centred on the same line.
      if (style == PageStyle::plain && count > 0) {
        EXPECT_EQ(2 * top + 14 * (count - 1) + 9, 2 * 32 + 14 * 3 + 9);
      }
    }
  }
}

// A text whose width is `per_pixel` times the font's height and whose
// height is the font's height plus 4.
auto proportional(int per_pixel) {
  return [per_pixel](int h) { return wizard::TextExtent{per_pixel * h, h + 4}; };
}

TEST(BackgroundText, SixPositions) {
  // 1000 x 800: margins 5 and 2. 26 points at 96 dpi: 34 pixels, a shadow
  // offset of 100 x 34 / 1300 = 2; the text is 340 x 38 and 988 pixels wide
  // room is left between the margins and the offset.
  struct Case {
    int position;
    int x, y;
  } cases[] = {{1, 5, 2}, {2, 329, 2}, {3, 653, 2}, {4, 5, 758}, {5, 329, 758}, {6, 653, 758}};
  for (const Case& c : cases) {
    wizard::PlacedText t =
        wizard::layout_background_text({1000, 800, 96, 26, 100, c.position, false}, proportional(10));
    EXPECT_EQ(t, (wizard::PlacedText{true, 26, 34, 2, c.x, c.y})) << c.position;
  }
}

TEST(BackgroundText, SizeAndShadowFollowTheScreen) {
  wizard::PlacedText t = wizard::layout_background_text({1000, 800, 144, 26, 100, 1, false}, proportional(10));
  EXPECT_EQ(t.pixel_height, 52);
  EXPECT_EQ(t.shadow_offset, 4);
  t = wizard::layout_background_text({1000, 800, 96, 26, 0, 1, false}, proportional(10));
  EXPECT_EQ(t.shadow_offset, 0);
}

TEST(BackgroundText, ShrinksToFitButNotBelowSixPoints) {
  // 40 pixels per pixel of height: 26 points (34 px, 1360 wide) is too wide;
  // 18 points (24 px, 960 wide, offset 1) is the first that fits in 994.
  wizard::PlacedText t = wizard::layout_background_text({1000, 800, 96, 26, 100, 1, false}, proportional(40));
  EXPECT_EQ(t.points, 18);
  EXPECT_EQ(t.pixel_height, 24);
  EXPECT_EQ(t.shadow_offset, 1);
  // Never fits: painted at 6 points anyway.
  t = wizard::layout_background_text({1000, 800, 96, 26, 100, 1, false}, proportional(1000));
  EXPECT_TRUE(t.painted);
  EXPECT_EQ(t.points, 6);
  EXPECT_EQ(t.pixel_height, 8);
  // A wanted size below 6 points is kept.
  t = wizard::layout_background_text({1000, 800, 96, 3, 100, 1, false}, proportional(10));
  EXPECT_EQ(t.points, 3);
}

TEST(BackgroundText, NothingWithoutTextOrPosition) {
  for (auto request : {wizard::BackgroundTextRequest{1000, 800, 96, 26, 100, 1, true},
                       wizard::BackgroundTextRequest{1000, 800, 96, 26, 100, 0, false},
                       wizard::BackgroundTextRequest{1000, 800, 96, 26, 100, 7, false}})
    EXPECT_FALSE(wizard::layout_background_text(request, proportional(10)).painted);
}

TEST(BackgroundBitmap, ModesAndSize) {
  using wizard::Rect;
  struct Case {
    std::uint32_t mode;
    int percent;
    std::optional<Rect> rect;
  } cases[] = {
      {0, 100, Rect{0, 0, 1000, 800}},    // stretched over the window
      {0, 50, Rect{250, 200, 500, 400}},  // over the centred half
      {1, 100, Rect{0, 100, 1000, 600}},  // 500 x 300 kept in proportion
      {1, 50, Rect{250, 250, 500, 300}},
      {2, 100, Rect{250, 250, 500, 300}},  // natural size, centred
      {3, 100, Rect{0, 0, 500, 300}},      // the first tile
      {9, 100, Rect{0, 0, 1000, 800}},     // unknown: stretched
      {1, 0, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(wizard::background_bitmap_rect(1000, 800, 500, 300, c.mode, c.percent), c.rect) << c.mode;
  EXPECT_EQ(wizard::background_bitmap_rect(1000, 800, 0, 300, 0, 100), std::nullopt);
}

// A BMP file: 14-byte file header, 40-byte info header, then the rows.
std::vector<std::uint8_t> bmp(int width, int height, int depth, std::size_t pixel_bytes, std::uint32_t colours = 0) {
  std::vector<std::uint8_t> f(54 + colours * 4 + pixel_bytes, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = std::uint8_t(v >> (8 * i));
  };
  f[0] = 'B';
  f[1] = 'M';
  put32(2, std::uint32_t(f.size()));
  put32(10, 54 + colours * 4);
  put32(14, 40);
  put32(18, std::uint32_t(width));
  put32(22, std::uint32_t(height));
  f[26] = 1;
  f[28] = std::uint8_t(depth);
  put32(46, colours);
  return f;
}

TEST(BackgroundBitmap, BmpFileParts) {
  // 3 pixels of 24 bits: 9 bytes, padded rows of 12.
  EXPECT_EQ(setup::bmp_parts(bmp(3, 2, 24, 24)), (setup::BmpParts{14, 54, 3, 2}));
  EXPECT_EQ(setup::bmp_parts(bmp(3, -2, 24, 24)), (setup::BmpParts{14, 54, 3, 2, true}));  // top-down rows
  EXPECT_EQ(setup::bmp_parts(bmp(3, 2, 8, 8, 256)), (setup::BmpParts{14, 54 + 1024, 3, 2}));
  EXPECT_FALSE(setup::bmp_parts(bmp(3, 2, 24, 23)));  // a row cut short
  EXPECT_FALSE(setup::bmp_parts(bmp(3, 2, 8, 8, 300)));  // more colours than 8 bits have
  EXPECT_FALSE(setup::bmp_parts(bmp(0, 2, 24, 24)));
  EXPECT_FALSE(setup::bmp_parts(bmp(3, 2, 7, 24)));
  auto f = bmp(3, 2, 24, 24);
  f[10] = 20;  // pixels inside the header
  EXPECT_FALSE(setup::bmp_parts(f));
  f = bmp(3, 2, 24, 24);
  f[0] = 'X';
  EXPECT_FALSE(setup::bmp_parts(f));
  f = bmp(1 << 20, 1, 24, 24);  // rows far beyond the file
  EXPECT_FALSE(setup::bmp_parts(f));
  f = bmp(3, 2, 8, 8, 256);
  f[30] = 1;  // run-length coded
  EXPECT_FALSE(setup::bmp_parts(f));
}

}  // namespace
