#include <gtest/gtest.h>

#include "paths.h"
#include "text.h"

namespace {

std::string u8(const std::u16string& s) { return kv::utf16_to_utf8(s); }

TEST(Paths, JoinFoldsTheSeparatorsAtTheJoin) {
  struct Case {
    std::u16string folder, name, joined;
  } cases[] = {
      {u"C:\\App", u"Uninstall", u"C:\\App\\Uninstall"},
      {u"C:\\App", u"\\Uninstall", u"C:\\App\\Uninstall"},
      {u"C:\\App\\", u"\\\\Uninstall", u"C:\\App\\Uninstall"},
      {u"C:\\App/", u"/sub/x.txt", u"C:\\App\\sub/x.txt"},
      {u"C:\\", u"App", u"C:\\App"},
      {u"C:", u"App", u"C:\\App"},
      {u"\\\\server\\share", u"dir", u"\\\\server\\share\\dir"},
      {u"\\\\", u"server", u"\\\\server"},
      {u"\\", u"App", u"\\App"},
      {u"C:\\App", u"", u"C:\\App"},
      {u"C:\\App\\", u"", u"C:\\App\\"},
      {u"", u"\\App", u"\\App"},
      {u"relative", u"name", u"relative\\name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(u8(c.folder) + " + " + u8(c.name));
    EXPECT_EQ(u8(kv::join_path(c.folder, c.name)), u8(c.joined));
  }
}

TEST(Paths, NormalisingKeepsRootsAndTheUncStart) {
  struct Case {
    std::u16string path, normal, trimmed;
  } cases[] = {
      {u"C:/App//sub\\", u"C:\\App\\sub", u"C:/App//sub"},
      {u"C:\\", u"C:\\", u"C:\\"},
      {u"C:\\\\", u"C:\\", u"C:\\"},
      {u"C:", u"C:", u"C:"},
      {u"\\\\server\\\\share\\", u"\\\\server\\share", u"\\\\server\\\\share"},
      {u"//server/share", u"\\\\server\\share", u"//server/share"},
      {u"\\\\\\server", u"\\\\server", u"\\\\\\server"},
      {u"\\\\", u"\\\\", u"\\\\"},
      {u"\\", u"\\", u"\\"},
      {u"\\App\\", u"\\App", u"\\App"},
      {u"a\\\\b\\\\", u"a\\b", u"a\\\\b"},
      {u"", u"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(u8(c.path));
    EXPECT_EQ(u8(kv::normalise_path(c.path)), u8(c.normal));
    EXPECT_EQ(u8(kv::without_trailing_separators(c.path)), u8(c.trimmed));
  }
}

TEST(Paths, SplittingAndKinds) {
  EXPECT_EQ(u8(kv::parent_folder(u"C:\\a\\b")), "C:\\a");
  EXPECT_EQ(u8(kv::parent_folder(u"C:\\a")), "C:\\");
  EXPECT_EQ(u8(kv::parent_folder(u"C:/a/b.txt")), "C:/a");
  EXPECT_EQ(u8(kv::parent_folder(u"name")), "");
  EXPECT_EQ(u8(kv::file_name_of(u"C:\\a\\b.txt")), "b.txt");
  EXPECT_EQ(u8(kv::file_name_of(u"b.txt")), "b.txt");

  for (std::u16string_view p : {u"C:\\x", u"c:/x", u"C:", u"\\\\server\\share", u"//server"})
    EXPECT_TRUE(kv::is_absolute_path(p)) << u8(std::u16string(p));
  for (std::u16string_view p : {u"C:x", u"\\x", u"x\\y", u"", u"1:\\x"})
    EXPECT_FALSE(kv::is_absolute_path(p)) << u8(std::u16string(p));
}

TEST(Paths, ComparisonIgnoresCaseSeparatorsAndTrailingSlashes) {
  EXPECT_TRUE(kv::same_path(u"C:\\Program Files\\App\\", u"c:/program files/app"));
  EXPECT_FALSE(kv::same_path(u"C:\\App", u"C:\\App2"));
  EXPECT_TRUE(kv::path_is_within(u"C:\\App\\sub", u"c:\\app"));
  EXPECT_TRUE(kv::path_is_within(u"C:\\App", u"C:\\App\\"));
  EXPECT_TRUE(kv::path_is_within(u"C:\\App", u"C:\\"));
  EXPECT_FALSE(kv::path_is_within(u"C:\\App2", u"C:\\App"));
  EXPECT_FALSE(kv::path_is_within(u"C:\\App", u""));
}

}  // namespace
