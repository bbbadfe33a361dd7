// The settings stream: round trip, string length forms, checks and the hook.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "settings_stream.h"

namespace {

using namespace setup;

// One language, one string: the smallest stream that reads.
Settings minimal_settings() {
  Settings s;
  s.strings.assign({u"English"}, 1, {u"Setup"});
  return s;
}

// Every field away from its default, every list with several records.
Settings full_settings() {
  Settings s;
  s.ProductFlags = {flags_low::kUpdateOnly | flags_low::kRegisterUninstaller | 0x80000001u, 0xC0000003u};
  s.automatic_mode_choice = 2;
  s.TaskbarText = u"Hello Setup";
  s.DisplayTitle = u"Hello \u00c9dition";
  s.TitleSize = 1.75;
  s.progress_window_position = 5;
  s.minimum_display_time = 1234;
  s.ShortcutMode = 1;
  s.uninstaller_file_time = {2026, 12, 6, 23, 59, -1};
  s.Publisher = u"Example Works";
  s.DisplayName = u"Hello";
  s.product_description = u"Hello App";
  s.Bitness = 1;
  s.shared_folder_base = 3;
  s.SharedPath = u"Example Shared";
  s.portable_shared_subfolder = u"Shared";
  s.ProductStartMenu = u"Hello\\Tools";
  s.DisplayVersion = u"2.15";
  s.default_installation_folder = u"HKLM\\Software\\Hello\\Path";
  s.ProductRegistry = u"Example\\Hello";
  s.registry_entries = u"HKLM\\Software\\Hello,Name,1,Value,1\r\n\\HKAU\\Software\\Hello\r\n";
  s.registry_merge_file = u"REGEDIT4\r\n";
  s.BitmapSize = 100;
  s.StretchMode = 3;
  s.link_address = "https://example.com/";
  s.licence_texts = {"{\\rtf1 licence}", std::string("\xff\xfeL\0I\0", 6), ""};
  s.readme_texts = {"readme one", "readme two"};
  s.UninstallSubdir = u"uninst";
  s.inf_text = "driver.inf";
  s.uninstall_key_name = u"Hello 2";
  s.install_path_registry_value = "HKLM\\Software\\Hello\\InstallPath";
  s.header_text = u"Hello header";
  s.greeting_option = 3;
  s.TitleColor = 0x00FF8000;
  s.TitleShadow = 2;
  s.TitlePosition = 5;
  s.TitleFont = "Arial";
  s.TopColor = 0x00102030;
  s.BottomColor = 0x00405060;
  s.background_bitmap = {'B', 'M', 0, 1, 2};
  s.background_bitmap_option = 0xFFFFFFFF;
  s.CopyrightPos = 6;
  s.CopyrightColor = 0x00ABCDEF;
  s.CopyrightSize = 0.5;
  s.CopyrightText = u"\u00a9 Example";
  s.CopyrightFont = u"Tahoma";
  s.update_only = {u"Hello Base", u"Hello Base 1", u"1.2"};
  s.sound = {'R', 'I', 'F', 'F', 0};
  s.DesktopFolder = u"Hello Tools";
  s.desktop_folder_icon = {0, 0, 1, 0};
  s.pre_installation_batch = "echo pre";
  s.post_installation_batch = "echo post\r\necho caf\xe9";
  s.installation_exit_batch = "echo exit";
  s.UninstallBatch1 = "echo u1";
  s.UninstallBatch2 = "echo u2";
  s.upgrade_batch = "echo upgrade";
  s.reinstall_batch = "echo reinstall";
  s.minimum_system_version = {6, 1, 7601, 1, 0};
  s.excluded_systems = system_family::kWindows9x | system_family::kWindowsXP;
  s.archive_from_file = true;
  s.launch_application = u"%InstallDir%\\hello.exe";
  s.run_program = u"%InstallDir%\\first.exe";
  s.open_document = u"%InstallDir%\\readme.txt";
  s.start_address = "http://example.com/start?v=%version%";
  s.copy_start_address = "http://example.com/copy";
  s.install_address = "http://example.com/new";
  s.upgrade_address = "http://example.com/up";
  s.downgrade_address = "http://example.com/down";
  s.reinstall_address = "http://example.com/again";
  s.NotifyURL = "http://example.com/gone";
  s.link_notification_address = "http://example.com/link";
  s.warning_version = "1.5";
  s.NoDowngradeBelow = "2.0";
  s.installation_password = u"S\u00e9same";
  s.must_uninstall_version = u"1.0";
  s.firewall_exceptions = "8080;Hello;3;\r\nhello.exe;H\xc3\xa9llo;1;1\r\n";
  s.AddToPathSubfolder = u"bin";
  s.extra_space = 0x123456789ull;
  s.page_styles = {0, 1, 2, 3, 3, 2, 1, 0};
  s.uninstaller_icon = {0, 0, 1, 0, 9};
  s.conditional_deletions = {{"old\\*.dll", 2, "2020-01-01 10:00:00", 0x5}, {"|caf\xc3\xa9.txt", 0, "", 0x8}};
  s.associations = {{1, ".hel", "Hello.Doc", "Hello document", "open", "&Open", "\"%InstallDir%\\hello.exe\" \"%1\"",
                     u"", "%InstallDir%\\hello.exe,1"},
                    {2, "txt", "!Hello.Text", "", "edit", "Edit", "hello.exe /e", u"Deutsch", ""}};
  s.shortcuts = {{true, false, true, false, true, false, 1, u"%InstallDir%\\hello.exe", u"Tools\\Hello", "",
                  u"/start", "%InstallDir%", ""},
                 {false, true, false, true, false, true, 2, u"readme.txt", u"Readme", "icon.ico", u"",
                  "", "|D:\\Caf\xc3\xa9"}};
  s.root_shortcut_command = u"\"%InstallDir%\\hello.exe\" /portable";
  s.root_shortcut_name = u"Hello on <product>";
  s.taskbar_pin_command = u"%InstallDir%\\hello.exe";
  s.taskbar_pin_name = u"Hello";
  s.extra_uninstall_values = {{"HelpLink", 1, u"https://example.com/help"}, {"Sub\\Size", 4, u"42"}};
  s.SupportOffer = "mailto:help@example.com";
  s.product_icon = {0, 0, 1, 0, 7};
  s.close_rules = {{"HelloWindow", "", "Hello", 0, 0x1}, {"", "*Editor", "Hello Editor", 2, 0x6}};
  s.strings.assign({u"Deutsch", u"English"}, 2, {u"Willkommen", u"Fehler\r\nZeile", u"Welcome", u"Error\r\nLine"});
  return s;
}

TEST(SettingsStream, RoundTripKeepsEveryField) {
  const Settings original = full_settings();
  WrittenSettings written = write_settings(original);
  ASSERT_TRUE(written.exact()) << written.problem;
  Settings read;
  ASSERT_EQ(read_settings(written.stream, read), 0);
  EXPECT_EQ(read, original);
  EXPECT_EQ(read.strings.current_language(), 1);  // "English"
  EXPECT_EQ(read.strings.raw(0, 1), u"Fehler\r\nZeile");

  // The texts run string by string: string 0 in both languages comes before
  // string 1 of the first.
  auto at = [&](std::u16string_view text) {
    std::vector<std::uint8_t> b = utf16_to_bytes(text);
    return std::search(written.stream.begin(), written.stream.end(), b.begin(), b.end()) - written.stream.begin();
  };
  EXPECT_LT(at(u"Willkommen"), at(u"Welcome"));
  EXPECT_LT(at(u"Welcome"), at(u"Fehler"));
}

TEST(SettingsStream, LineBreaksOfTheStringTableAreNormalised) {
  Settings s = minimal_settings();
  s.strings.assign({u"English"}, 2, {u"a\nb", u"c\rd\n\re"});
  Settings read;
  ASSERT_EQ(read_settings(write_settings(s).stream, read), 0);
  EXPECT_EQ(read.strings.raw(0), u"a\r\nb");
  EXPECT_EQ(read.strings.raw(1), u"c\r\nd\r\ne");
}

// A 16-bit length whose low byte is 255 would read as the 32-bit marker, so
// such lengths take the 32-bit form.
TEST(SettingsStream, CompactLengthForms) {
  struct Case {
    std::size_t length;
    std::vector<std::uint8_t> head;
  };
  const Case cases[] = {
      {0, {0x00}},
      {254, {0xFE}},
      {255, {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00}},
      {256, {0xFF, 0x00, 0x01}},
      {266, {0xFF, 0x0A, 0x01}},
      {511, {0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00}},
      {0xFEFF, {0xFF, 0xFF, 0xFF, 0xFE, 0x00, 0x00}},
      {0xFFFE, {0xFF, 0xFE, 0xFF}},
      {0x10000, {0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    std::vector<std::uint8_t> text(c.length, 'x');
    ByteWriter out;
    write_compact(out, text);
    ASSERT_EQ(out.size(), c.head.size() + c.length);
    EXPECT_TRUE(std::equal(c.head.begin(), c.head.end(), out.data().begin()));
    ByteReader in(out.data());
    std::span<const std::uint8_t> read;
    ASSERT_TRUE(read_compact(in, read));
    EXPECT_EQ(read.size(), c.length);
    EXPECT_TRUE(in.at_end() && !in.overran());
  }
}

TEST(SettingsStream, CompactLengthLimits) {
  std::span<const std::uint8_t> read;
  const std::uint8_t at_limit[] = {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x40, 'a', 'b'};
  ByteReader in(at_limit);
  EXPECT_TRUE(read_compact(in, read));
  EXPECT_EQ(read.size(), 2u);  // what the stream holds, not a gigabyte
  EXPECT_TRUE(in.overran());

  const std::uint8_t above[] = {0xFF, 0xFF, 0x01, 0x00, 0x00, 0x40};
  ByteReader in_above(above);
  EXPECT_FALSE(read_compact(in_above, read));

  const std::uint8_t negative[] = {0xFF, 0xFF, 0xFF, 0xFF};
  ByteReader in_negative(negative);
  EXPECT_FALSE(read_sized(in_negative, LengthField::u32, read));
}

TEST(SettingsStream, ChecksGiveTheirCodes) {
  struct Case {
    const char* name;
    std::function<void(Settings&)> change;
    int code;
  };
  auto records = [](auto& list, std::size_t n) { list.resize(n); };
  auto languages = [](int n) {
    return [n](Settings& s) {
      s.strings.assign(std::vector<std::u16string>(n, u"L"), 1, std::vector<std::u16string>(n));
    };
  };
  auto strings = [](int n) {
    return [n](Settings& s) { s.strings.assign({u"English"}, n, std::vector<std::u16string>(n)); };
  };
  const Case cases[] = {
      {"minimum display time 9999", [](Settings& s) { s.minimum_display_time = 9999; }, 0},
      {"minimum display time 10000", [](Settings& s) { s.minimum_display_time = 10000; }, 19},
      {"20 licences", [](Settings& s) { s.licence_texts.assign(20, "x"); }, 0},
      {"21 licences", [](Settings& s) { s.licence_texts.assign(21, "x"); }, 24},
      {"21 readmes", [](Settings& s) { s.readme_texts.assign(21, "x"); }, 26},
      {"BitmapSize 101", [](Settings& s) { s.BitmapSize = 101; }, 39},
      {"BitmapSize -1", [](Settings& s) { s.BitmapSize = -1; }, 39},
      {"1000 conditional deletions", [&](Settings& s) { records(s.conditional_deletions, 1000); }, 0},
      {"1001 conditional deletions", [&](Settings& s) { records(s.conditional_deletions, 1001); }, 38},
      {"1000 associations", [&](Settings& s) { records(s.associations, 1000); }, 0},
      {"1001 associations", [&](Settings& s) { records(s.associations, 1001); }, 36},
      {"1001 shortcuts", [&](Settings& s) { records(s.shortcuts, 1001); }, 48},
      {"1001 extra values", [&](Settings& s) { records(s.extra_uninstall_values, 1001); }, 37},
      {"1000 close rules", [&](Settings& s) { records(s.close_rules, 1000); }, 0},
      {"1001 close rules", [&](Settings& s) { records(s.close_rules, 1001); }, 41},
      {"no language", languages(0), 30},
      {"200 languages", languages(200), 0},
      {"201 languages", languages(201), 30},
      {"no string", strings(0), 31},
      {"10000 strings", strings(10000), 0},
      {"10001 strings", strings(10001), 31},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Settings s = minimal_settings();
    c.change(s);
    Settings read;
    EXPECT_EQ(read_settings(write_settings(s).stream, read), c.code);
  }
}

TEST(SettingsStream, DamagedEndGives32) {
  std::vector<std::uint8_t> stream = write_settings(full_settings()).stream;
  Settings read;
  std::vector<std::uint8_t> short_by_one(stream.begin(), stream.end() - 1);
  EXPECT_EQ(read_settings(short_by_one, read), 32);
  stream.back() ^= 0x01;
  EXPECT_EQ(read_settings(stream, read), 32);
}

TEST(SettingsStream, HookRunsAfterField6AndItsCodeStops) {
  const std::vector<std::uint8_t> stream = write_settings(full_settings()).stream;
  int calls = 0;
  Settings seen;
  auto hook = [&](Settings& s) {
    ++calls;
    seen = s;
    s.ProductFlags.low |= flags_low::kNoBackgroundWindow;  // what silent forcing does there
    return 0;
  };
  Settings read;
  ASSERT_EQ(read_settings(stream, read, hook), 0);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(seen.DisplayTitle, u"Hello \u00c9dition");
  EXPECT_EQ(seen.progress_window_position, 5u);  // field 6 read
  EXPECT_EQ(seen.minimum_display_time, 0);       // field 7 not yet
  EXPECT_TRUE(read.ProductFlags.has_low(flags_low::kNoBackgroundWindow));

  calls = 0;
  EXPECT_EQ(read_settings(stream, read, [&](Settings&) { return ++calls, 25; }), 25);
  EXPECT_EQ(read.DisplayName, u"");

  // A length fault in fields 1 to 6 stops before the hook.
  std::vector<std::uint8_t> bad(stream.begin(), stream.begin() + 9);
  for (std::uint8_t b : {0xFF, 0xFF, 0x01, 0x00, 0x00, 0x40}) bad.push_back(b);
  calls = 0;
  EXPECT_EQ(read_settings(bad, read, [&](Settings&) { return ++calls, 0; }), 32);
  EXPECT_EQ(calls, 0);
}

TEST(SettingsStream, WriterNamesWhatTheStreamCannotHold) {
  struct Case {
    const char* name;
    std::function<void(Settings&)> change;
  };
  const Case cases[] = {
      {"NoDowngradeBelow of 256 bytes", [](Settings& s) { s.NoDowngradeBelow.assign(256, '1'); }},
      {"zero inside an 8-bit text", [](Settings& s) { s.TitleFont = std::string("Ari\0al", 6); }},
      {"zero inside a UTF-16 text", [](Settings& s) { s.ProductStartMenu = std::u16string(u"a\0b", 3); }},
      {"deletion pattern equal to the end mark",
       [](Settings& s) { s.conditional_deletions = {{"~~THE END~~", 0, "", 0}}; }},
      {"close rule class equal to the end mark", [](Settings& s) { s.close_rules = {{"~~THE~END~~", "", "", 0, 1}}; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Settings s = minimal_settings();
    c.change(s);
    EXPECT_FALSE(write_settings(s).exact());
  }
  EXPECT_TRUE(write_settings(minimal_settings()).exact());
}

}  // namespace
