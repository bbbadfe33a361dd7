// Conversions between the text forms of the system.
#include <gtest/gtest.h>

#include "kv_core.h"
#include "size_text.h"

namespace {

TEST(Text, Utf8RoundTripIncludingSurrogatePairs) {
  std::u16string text = u"A\u00e9\u4e2d\U0001F600";
  EXPECT_EQ(kv::utf16_to_utf8(text), "A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
  EXPECT_EQ(kv::utf8_to_utf16(kv::utf16_to_utf8(text)), text);
}

TEST(Text, MalformedUtf8BecomesReplacementCharacters) {
  EXPECT_EQ(kv::utf8_to_utf16("a\xC3"), u"a\uFFFD");
  EXPECT_EQ(kv::utf8_to_utf16("\xC0\x80"), u"\uFFFD");  // overlong
  EXPECT_EQ(kv::utf8_to_utf16("\xFFz"), u"\uFFFDz");
}

TEST(Text, Cp1252BothWays) {
  EXPECT_EQ(kv::cp1252_to_utf16("\x80\x9f\xe9"), u"\u20ac\u0178\u00e9");
  EXPECT_EQ(kv::utf16_to_cp1252(u"\u20ac\u00e9\u4e2d\U0001F600"), "\x80\xe9??");
  // Unassigned 1252 bytes map to the control characters and back.
  EXPECT_EQ(kv::utf16_to_cp1252(kv::cp1252_to_utf16("\x81\x8d")), "\x81\x8d");
}

TEST(Text, MarkedForm) {
  EXPECT_EQ(kv::to_marked(u"C:\\Program Files\\App"), "C:\\Program Files\\App");
  EXPECT_EQ(kv::to_marked(u"C:\\Caf\u00e9"), "|C:\\Caf\xC3\xA9");
  EXPECT_EQ(kv::from_marked("|C:\\Caf\xC3\xA9"), u"C:\\Caf\u00e9");
  EXPECT_EQ(kv::from_marked("C:\\Caf\xE9"), u"C:\\Caf\u00e9");  // system code page
}

TEST(Text, CaseInsensitiveHelpers) {
  EXPECT_TRUE(kv::iequals(u"SiLeNt", u"silent"));
  EXPECT_FALSE(kv::iequals(u"silent", u"silence"));
  EXPECT_EQ(kv::ifind(u"a %INSTALLDIR% b", u"%installdir%"), 2u);
  EXPECT_EQ(kv::replace_all(u"<Product> and <PRODUCT>", u"<product>", u"X", true), u"X and X");
}

TEST(Text, TrimWhiteSpaceLeavesInnerBlanks) {
  EXPECT_EQ(kv::trim_white_space(u" \t a b\r\n"), u"a b");
  EXPECT_EQ(kv::trim_white_space(u"\r\n \t"), u"");
  EXPECT_EQ(kv::trim_white_space(u"\u00a0x"), u"\u00a0x");  // only the four ASCII ones
}

}  // namespace

namespace {

TEST(AuthorFormat, FillsConversionsInOrderAndLeavesTheRestAsWritten) {
  const std::initializer_list<std::u16string_view> values = {u"Upgrade", u"C:\\App", u"64"};
  struct Case {
    std::u16string_view format;
    std::u16string_view expected;
  } cases[] = {
      {u"%s is in %s (%d-bit)", u"Upgrade is in C:\\App (64-bit)"},
      {u"100%% done, %5.2ld items", u"100% done, Upgrade items"},
      {u"%s %s %s %s", u"Upgrade C:\\App 64 %s"},  // more conversions than values
      {u"50% off %q", u"50% off %q"},
      {u"trailing %", u"trailing %"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(kv::fill_format(c.format, values), c.expected) << std::string(c.format.begin(), c.format.end());
}

}  // namespace

TEST(Text, SizesAsPeopleReadThem) {
  struct Case {
    std::uint64_t bytes;
    const char16_t* text;
  } cases[] = {
      {0, u"0 B"},
      {1023, u"1023 B"},
      {1024, u"1 KB"},
      {1536, u"1.5 KB"},
      {10188, u"9.9 KB"},
      {10199, u"10 KB"},           // 9.96 KB rounds up to a whole number
      {102400, u"100 KB"},
      {1048575, u"1023 KB"},       // whole units from 100 on, not rounded up
      {12896973, u"12.3 MB"},
      {1610612736, u"1.5 GB"},
      {0xFFFFFFFFFFFFFFFFull, u"16 EB"},
  };
  for (const Case& c : cases) EXPECT_EQ(kv::size_text(c.bytes), c.text) << c.bytes;
}
