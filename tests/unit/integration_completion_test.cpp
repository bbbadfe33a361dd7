// The completion's decisions: document file names, the uninstall key's
// values, the author's extra values, the icon resources of the uninstaller.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "byte_stream.h"
#include "completion.h"
#include "icon_resources.h"
#include "paths.h"
#include "settings.h"
#include "text.h"
#include "uninstall_key.h"

namespace {

using integration::UninstallValue;
using integration::ValueKind;

TEST(Completion, DocumentFileNames) {
  struct Case {
    std::vector<std::string> texts;
    std::vector<std::pair<std::size_t, std::u16string>> files;
  };
  const Case cases[] = {
      {{"one"}, {{0, u"readme.txt"}}},
      {{"a", "b", "c"}, {{0, u"readme1.txt"}, {1, u"readme2.txt"}, {2, u"readme3.txt"}}},
      {{"", "b"}, {{1, u"readme.txt"}}},
      {{"a", ""}, {{0, u"readme1.txt"}}},
      {{"a", "", "c"}, {{0, u"readme1.txt"}, {2, u"readme2.txt"}}},
      {{"", ""}, {}},
  };
  for (const Case& c : cases) {
    std::vector<std::pair<std::size_t, std::u16string>> got;
    for (const auto& file : integration::document_files(c.texts, u"readme")) got.emplace_back(file.index, file.name);
    EXPECT_EQ(got, c.files) << c.texts.size() << " texts";
  }
  EXPECT_EQ(integration::document_files({"licence"}, u"eula")[0].name, u"eula.txt");
}

TEST(Completion, NotificationRestartAndEmptyFolders) {
  setup::Settings s;
  s.install_address = "new";
  s.upgrade_address = "up";
  s.downgrade_address = "down";
  s.reinstall_address = "again";
  EXPECT_EQ(integration::completion_address(s, true, false, true), "up");
  EXPECT_EQ(integration::completion_address(s, false, true, true), "down");
  EXPECT_EQ(integration::completion_address(s, false, false, true), "again");
  EXPECT_EQ(integration::completion_address(s, false, false, false), "new");

  using integration::RestartChoice;
  EXPECT_EQ(integration::restart_choice(false, true, false), RestartChoice::none);
  EXPECT_EQ(integration::restart_choice(true, true, false), RestartChoice::restart);
  EXPECT_EQ(integration::restart_choice(true, true, true), RestartChoice::ask);
  EXPECT_EQ(integration::restart_choice(true, false, false), RestartChoice::ask);

  const std::vector<std::u16string> shell_only = {u"Thumbs.db", u"desktop.INI"};
  const std::vector<std::u16string> with_product = {u"desktop.ini", u"tool.exe"};
  EXPECT_TRUE(kv::empty_but_for_shell_files({}));
  EXPECT_TRUE(kv::empty_but_for_shell_files(shell_only));
  EXPECT_FALSE(kv::empty_but_for_shell_files(with_product));
}

TEST(UninstallKey, NumbersAndTexts) {
  using Pair = std::pair<std::uint32_t, std::uint32_t>;
  EXPECT_EQ(integration::version_major_minor(u"2.15"), Pair(2, 15));
  EXPECT_EQ(integration::version_major_minor(u"1.2.3b"), Pair(1, 2));
  EXPECT_EQ(integration::version_major_minor(u"v2.x"), Pair(0, 0));
  EXPECT_FALSE(integration::version_major_minor(u"7").has_value());

  EXPECT_EQ(integration::integer_value(u"  -42abc"), -42);
  EXPECT_EQ(integration::integer_value(u"99999999999"), 2147483647);
  EXPECT_EQ(integration::integer_value(u"-99999999999"), -2147483647 - 1);

  const std::int32_t sizes[] = {1000, -5, 24};
  EXPECT_EQ(integration::installed_bytes(sizes), 1024u);
  EXPECT_FALSE(integration::estimated_size(1023).has_value());
  EXPECT_EQ(integration::estimated_size(1024), 1u);
  EXPECT_EQ(integration::estimated_size(0xFFFFFFFFull * 1024 + 1023), 0xFFFFFFFFu);
  EXPECT_FALSE(integration::estimated_size(0x100000000ull * 1024).has_value());

  EXPECT_EQ(integration::install_date_text({2026, 12, 6}), u"20261206");
  EXPECT_EQ(integration::shortest_decimal(1.0), "1");
  EXPECT_EQ(integration::shortest_decimal(1.25), "1.25");
  EXPECT_EQ(integration::shortest_decimal(0.1), "0.1");
  EXPECT_EQ(integration::colour_text(0x00CC8844), "4488CC");
  EXPECT_EQ(integration::uninstall_argument(u"My Tool"), u"/u:\"My Tool\"");
}

const UninstallValue* find(const std::vector<UninstallValue>& values, std::u16string_view name) {
  auto it = std::find_if(values.begin(), values.end(), [&](const UninstallValue& v) { return v.name == name; });
  return it == values.end() ? nullptr : &*it;
}

struct KeyFixture : ::testing::Test {
  setup::Settings s;
  integration::UninstallKeyFacts facts;
  KeyFixture() {
    s.Publisher = u"Maker";
    s.DisplayVersion = u"2.15";
    s.TopColor = 0x112233;
    s.BottomColor = 0x445566;
    s.TitleSize = 1.5;
    s.CopyrightColor = 0x00CC8844;
    facts.uninstaller_path = u"C:\\Tool\\uninstall.exe";
    facts.uninstall_argument = u"/u:\"Tool\"";
    facts.install_folder = u"C:\\Tool";
    facts.installed_bytes = 4096;
    facts.today = {2026, 12, 6};
  }
  std::vector<UninstallValue> values(const std::vector<UninstallValue>& extra = {}) {
    return integration::uninstall_key_values(s, facts, extra);
  }
};

TEST_F(KeyFixture, ValuesInOrder) {
  UninstallValue author;
  author.name = u"Extra";
  author.text = u"x";
  std::vector<UninstallValue> v = values({author});
  std::vector<std::u16string> names;
  for (const UninstallValue& value : v) names.push_back(value.name);
  const std::vector<std::u16string> expected = {
      u"UninstallString", u"QuietUninstallString", u"DisplayName", u"InstallSource", u"Publisher", u"Bitness",
      u"DisplayVersion", u"NoDowngradeBelow", u"VersionMajor", u"VersionMinor", u"ProductRegistry",
      u"ProductStartMenu", u"SharedPath", u"ProductFonts", u"ProductFlags", u"ProductFlags2", u"UninstallBatch1",
      u"UninstallBatch2", u"SharedFiles", u"UninstallSubdir", u"AddToPathSubfolder", u"ShortcutMode", u"NotifyURL",
      u"SupportOffer", u"DesktopFolder", u"EstimatedSize", u"DisplayTitle", u"TitleColor", u"TitleSize",
      u"TopColor", u"BottomColor", u"MonoColor", u"TitleShadow", u"TitlePosition", u"TitleFont", u"TaskbarText",
      u"CopyrightText", u"CopyrightFont", u"CopyrightSize", u"CopyrightColor", u"CopyrightPos", u"BitmapSize",
      u"BitmapTPI", u"StretchMode", u"Extra", u"InstallLocation", u"InstallDate"};
  EXPECT_EQ(names, expected);

  EXPECT_EQ(find(v, u"UninstallString")->text, u"\"C:\\Tool\\uninstall.exe\" /u:\"Tool\"");
  EXPECT_EQ(find(v, u"QuietUninstallString")->text, u"\"C:\\Tool\\uninstall.exe\" /a /u:\"Tool\"");
  EXPECT_EQ(find(v, u"VersionMajor")->number, 2u);
  EXPECT_EQ(find(v, u"VersionMinor")->number, 15u);
  EXPECT_EQ(find(v, u"EstimatedSize")->number, 4u);
  EXPECT_EQ(find(v, u"TitleSize")->narrow, "1.5");
  EXPECT_EQ(find(v, u"CopyrightColor")->narrow, "4488CC");
  EXPECT_EQ(find(v, u"InstallDate")->text, u"20261206");
  EXPECT_EQ(find(v, u"BottomColor")->number, 0x445566u);
  EXPECT_EQ(find(v, u"MonoColor")->number, 0u);
}

TEST_F(KeyFixture, EmptyOrNotApplicableValuesAreDeleted) {
  s.Publisher.clear();
  s.BottomColor = s.TopColor;  // one colour
  s.DisplayVersion = u"7";
  s.ProductFlags.low = 0x80000004;
  s.ProductFlags.high = 0x80000000;  // the flags are kept as a signed 64-bit number
  facts.installed_bytes = 1023;
  std::vector<UninstallValue> v = values();
  for (const char16_t* removed : {u"Publisher", u"BottomColor", u"EstimatedSize", u"ShortcutMode", u"NotifyURL",
                                  u"BitmapSize", u"BitmapTPI", u"StretchMode"})
    EXPECT_EQ(find(v, removed)->kind, ValueKind::remove) << kv::utf16_to_utf8(removed);
  EXPECT_EQ(find(v, u"MonoColor")->number, 1u);
  // Without a "." neither version number is touched; older ones stay.
  EXPECT_EQ(find(v, u"VersionMajor"), nullptr);
  EXPECT_EQ(find(v, u"VersionMinor"), nullptr);
  EXPECT_EQ(find(v, u"DisplayIcon"), nullptr);
  EXPECT_EQ(find(v, u"ProductFlags")->narrow, "-9223372034707292156");
}

TEST_F(KeyFixture, BitmapValuesOnlyWithABitmap) {
  s.ProductFlags.low = setup::flags_low::kBackgroundBitmap;
  s.background_bitmap = {'B', 'M'};
  s.BitmapSize = 80;
  s.StretchMode = 3;
  s.background_bitmap_option = 96;
  facts.product_icon_path = u"C:\\Tool\\product.ico";
  std::vector<UninstallValue> v = values();
  EXPECT_EQ(find(v, u"BitmapSize")->number, 80u);
  EXPECT_EQ(find(v, u"BitmapTPI")->number, 96u);
  EXPECT_EQ(find(v, u"StretchMode")->number, 3u);
  EXPECT_EQ(find(v, u"DisplayIcon")->text, u"C:\\Tool\\product.ico");
  s.background_bitmap_option = 0xFFFFFFFF;
  EXPECT_EQ(find(values(), u"BitmapTPI")->kind, ValueKind::remove);
}

TEST(UninstallKey, AuthorValues) {
  auto expand = [](const std::u16string& text) { return kv::replace_all(text, u"%InstallDir%", u"C:\\Tool"); };
  std::vector<setup::ExtraUninstallValue> entries = {
      {"Options\\Deep\\Path", 1, u"%InstallDir%\\data"},
      {"Empty", 1, u""},
      {"Expand", 2, u"%%SystemRoot%%"},
      {"Count", 4, u"42"},
  };
  auto planned = integration::plan_extra_values(entries, expand);
  ASSERT_TRUE(planned.has_value());
  ASSERT_EQ(planned->size(), 4u);
  EXPECT_EQ((*planned)[0].subkey, u"Options\\Deep");
  EXPECT_EQ((*planned)[0].name, u"Path");
  EXPECT_EQ((*planned)[0].text, u"C:\\Tool\\data");
  EXPECT_TRUE((*planned)[0].author_value);
  EXPECT_EQ((*planned)[1].kind, ValueKind::remove);
  EXPECT_EQ((*planned)[2].kind, ValueKind::expand_text);
  EXPECT_EQ((*planned)[3].kind, ValueKind::number);
  EXPECT_EQ((*planned)[3].number, 42u);

  entries.push_back({"Odd", 3, u"x"});  // no such kind: a damaged installer
  EXPECT_FALSE(integration::plan_extra_values(entries, expand).has_value());
}

TEST(UninstallKey, FailureReport) {
  const std::u16string unable =
      u"Unable to save the uninstall information to the registry.  Uninstall will not work properly.\r\n\r\n";
  EXPECT_EQ(integration::uninstall_key_failure_report(true, true, u""), u"");
  EXPECT_EQ(integration::uninstall_key_failure_report(true, false, u""), unable);
  EXPECT_EQ(integration::uninstall_key_failure_report(false, false, u"Access is denied."),
            u"System error: Access is denied.\r\n\r\n" + unable);
}

std::vector<std::uint8_t> icon_file(const std::vector<std::vector<std::uint8_t>>& images) {
  setup::ByteWriter w;
  w.u16(0);
  w.u16(1);
  w.u16(std::uint16_t(images.size()));
  std::uint32_t offset = 6 + 16 * std::uint32_t(images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    w.u8(std::uint8_t(16 * (i + 1)));  // width
    w.u8(std::uint8_t(16 * (i + 1)));  // height
    w.u8(0);
    w.u8(0);
    w.u16(1);
    w.u16(32);
    w.u32(std::uint32_t(images[i].size()));
    w.u32(offset);
    offset += std::uint32_t(images[i].size());
  }
  for (const auto& image : images) w.bytes(image);
  return w.take();
}

TEST(IconResources, ImagesAndGroupDirectory) {
  std::vector<std::uint8_t> file = icon_file({{1, 2, 3}, {4, 5}});
  auto resources = integration::icon_resources(file);
  ASSERT_TRUE(resources.has_value());
  ASSERT_EQ(resources->images.size(), 2u);
  EXPECT_EQ(std::vector<std::uint8_t>(resources->images[1].begin(), resources->images[1].end()),
            (std::vector<std::uint8_t>{4, 5}));
  // The header, then per image the file's 12 leading entry bytes and the
  // resource number.
  std::vector<std::uint8_t> group(file.begin(), file.begin() + 6);
  group.insert(group.end(), file.begin() + 6, file.begin() + 18);
  group.insert(group.end(), {1, 0});
  group.insert(group.end(), file.begin() + 22, file.begin() + 34);
  group.insert(group.end(), {2, 0});
  EXPECT_EQ(resources->group, group);

  std::vector<std::uint8_t> cursor = file;
  cursor[2] = 2;
  EXPECT_FALSE(integration::icon_resources(cursor).has_value());
  std::vector<std::uint8_t> cut(file.begin(), file.end() - 1);
  EXPECT_FALSE(integration::icon_resources(cut).has_value());
  EXPECT_FALSE(integration::icon_resources(std::vector<std::uint8_t>(file.begin(), file.begin() + 20)).has_value());
  EXPECT_FALSE(integration::icon_resources(icon_file({})).has_value());
}

}  // namespace
