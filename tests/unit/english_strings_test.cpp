#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>

#include "english_strings.h"
#include "kv_core.h"

namespace {

using builder::EnglishString;
using builder::kEnglishStrings;

// The printf conversions of a text in order ("%s%d"); "%%" is no conversion.
std::string conversions(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    std::size_t end = i + 1;
    if (end < text.size() && text[end] == '%') {
      i = end;
      continue;
    }
    while (end < text.size() && std::string_view("-+ #0123456789.*hlLqjzt").find(text[end]) != std::string_view::npos)
      ++end;
    out += text.substr(i, end + 1 - i);
    i = end;
  }
  return out;
}

const EnglishString* find(int number) {
  for (const EnglishString& s : kEnglishStrings)
    if (s.number == number) return &s;
  return nullptr;
}

TEST(EnglishStrings, NumbersSortedUniqueAndCountCoversTheLast) {
  ASSERT_FALSE(kEnglishStrings.empty());
  EXPECT_GE(kEnglishStrings.front().number, 0);
  for (std::size_t i = 1; i < kEnglishStrings.size(); ++i)
    EXPECT_LT(kEnglishStrings[i - 1].number, kEnglishStrings[i].number) << "at entry " << i;
  EXPECT_EQ(builder::english_string_count(), kEnglishStrings.back().number + 1);
}

TEST(EnglishStrings, TextsAreValidUtf8WithCarriageReturnLineFeedBreaks) {
  for (const EnglishString& s : kEnglishStrings) {
    const std::string text = s.text;
    // Malformed UTF-8 decodes to U+FFFD and does not survive the round trip.
    EXPECT_EQ(kv::utf16_to_utf8(kv::utf8_to_utf16(text)), text) << "string " << s.number;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') {
        EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "string " << s.number;
      }
      if (text[i] == '\r') {
        EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "string " << s.number;
      }
    }
    EXPECT_NE(std::string_view(s.use), "") << "string " << s.number;
  }
}

// What the runtime passes to each text it completes; every other text is
// shown as it stands and holds no percent sign at all.
TEST(EnglishStrings, FormatsHoldExactlyTheConversionsTheRuntimePasses) {
  const std::map<int, std::string> expected = {
      {7, "%s%s%s"},  // install type text, existing folder, product name
      {10, "%s"},     // failure report
      {12, "%s"},     // product to update
      {13, "%d"},     // corrupt-installer code
      {18, "%s"},     // folder
      {19, "%s%s"},   // free space, required space
      {22, "%s"},     // folder
      {23, "%s"},     // folder
      {35, "%s"},     // shared file
      {38, "%s"},     // target's file name
      {40, "%s"},     // Install.log path
      {56, "%s"},     // font name
      {60, "%s"},     // required Windows
      {61, "%s"},     // running Windows
      {72, "%s%s"},   // installed version, warning version
      {81, "%d"},     // 64 or 32
      {99, "%s"},     // program name
      {106, "%s"},    // lowest allowed version
      {107, "%s"},    // program name
      {112, "%s%s"},  // installed version, oldest updatable version
  };
  for (const auto& [number, sequence] : expected) {
    const EnglishString* s = find(number);
    ASSERT_NE(s, nullptr) << "string " << number;
    EXPECT_EQ(conversions(s->text), sequence) << "string " << number;
  }
  for (const EnglishString& s : kEnglishStrings) {
    const bool completed = expected.count(s.number) != 0;
    if (!completed) {
      EXPECT_EQ(std::string_view(s.text).find('%'), std::string_view::npos) << "string " << s.number;
    }
    // The documented values and the conversions go together.
    EXPECT_EQ(std::string_view(s.values).empty(), !completed) << "string " << s.number;
  }
}

// Markers that the runtime replaces, and texts that must stay empty because
// any text there adds a page to every installation.
TEST(EnglishStrings, RuntimeMarkersAndEmptyDefaults) {
  struct Case {
    int number;
    std::string_view must_contain;
  };
  const Case cases[] = {{77, "<file>"}, {105, "<a>"}, {105, "</a>"}};
  for (const Case& c : cases) {
    const EnglishString* s = find(c.number);
    ASSERT_NE(s, nullptr) << "string " << c.number;
    EXPECT_NE(std::string_view(s->text).find(c.must_contain), std::string_view::npos) << "string " << c.number;
  }
  for (int number : {63, 64}) {
    const EnglishString* s = find(number);
    ASSERT_NE(s, nullptr) << "string " << number;
    EXPECT_STREQ(s->text, "") << "string " << number;
  }
}

TEST(EnglishStrings, ConversionScanner) {
  EXPECT_EQ(conversions("100%% of %s, %-5d and %lu"), "%s%-5d%lu");
  EXPECT_EQ(conversions("plain"), "");
}

}  // namespace
