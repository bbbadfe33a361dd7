#include <gtest/gtest.h>

#include "string_table.h"

namespace {

TEST(StringTable, LineBreaksBecomeCarriageReturnLineFeed) {
  EXPECT_EQ(setup::normalise_line_breaks(u"a\nb\rc\n\rd\r\ne"), u"a\r\nb\r\nc\r\nd\r\ne");
  EXPECT_EQ(setup::normalise_line_breaks(u"\n\n"), u"\r\n\r\n");
}

TEST(StringTable, PlaceholdersIgnoreCase) {
  setup::Placeholders p{u"Hello", u"Hello App", u"Windows 10"};
  EXPECT_EQ(setup::expand_placeholders(u"<Product> (<DESCRIPTION>) on <os>", p), u"Hello (Hello App) on Windows 10");
}

TEST(StringTable, CurrentLanguageDefaultsToEnglishAndOutOfRangeIsEmpty) {
  setup::StringTable table;
  table.assign({u"Deutsch", u"English"}, 2, {u"Hallo", u"Fehler", u"Hello", u"Error"});
  EXPECT_EQ(table.current_language(), 1);
  EXPECT_EQ(table.raw(1), u"Error");
  EXPECT_EQ(table.raw(0, 0), u"Hallo");
  EXPECT_EQ(table.raw(2), u"");
  EXPECT_EQ(table.raw(-1), u"");
}

}  // namespace
