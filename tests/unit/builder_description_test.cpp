// Reading product descriptions: what each key becomes in the settings and
// file entries, the defaults of a small product, and the error an author
// gets for each kind of bad input.
#include <gtest/gtest.h>

#include "builder_test_support.h"
#include "csv.h"
#include "english_strings.h"
#include "kv_core.h"
#include "product_file.h"
#include "source_glob.h"

namespace {

using builder_test::Folder;
using namespace setup;

builder::ProductLoad load_text(const Folder& f, std::string_view toml) {
  return builder::load_product(f.write("product.toml", toml));
}

TEST(BuilderDescription, TenLinesMakeAProductWithAShortcutAndAnUninstaller) {
  Folder f;
  f.write("bin/hello.exe", "program");
  builder::ProductLoad load = load_text(f, R"(
[product]
name = "Hello"
version = "1.0"
publisher = "Example Ltd"

[[files]]
source = "bin/hello.exe"
shortcut = { start_menu = true }
)");
  ASSERT_EQ(load.error, "");
  const Settings& s = load.product.settings;
  EXPECT_EQ(s.DisplayName, u"Hello");
  EXPECT_EQ(s.DisplayVersion, u"1.0");
  EXPECT_EQ(s.ProductStartMenu, u"Hello");
  EXPECT_EQ(s.uninstall_key_name, u"Hello");
  EXPECT_EQ(s.SharedPath, u"Example Ltd");
  EXPECT_EQ(s.TaskbarText, u"Hello");
  EXPECT_EQ(s.ShortcutMode, 1);
  // An uninstaller, compressed data, the folder and start-menu pages, the log
  // kept, stub checked, uninstaller progress and completion message, and an
  // uninstaller written without the installation data.
  EXPECT_EQ(s.ProductFlags.low,
            flags_low::kRegisterUninstaller | flags_low::kCompressedArchive | flags_low::kDestinationPage | 0x40);
  EXPECT_EQ(s.ProductFlags.high,
            flags_high::kCheckStubChecksum | flags_high::kStartMenuPage | flags_high::kCompareVersions | 0x80000);
  EXPECT_EQ(load.product.ProductFlags2, 0x40000u | flags2::kUninstallerWithoutSetupSection);
  EXPECT_FALSE(load.product.encipher);
  for (std::uint32_t style : s.page_styles) EXPECT_EQ(style, 2u);

  ASSERT_EQ(s.strings.language_count(), 1);
  EXPECT_EQ(s.strings.language_name(0), u"English");
  EXPECT_EQ(s.strings.string_count(), builder::english_string_count());
  EXPECT_EQ(s.strings.raw(0, 13).substr(0, 33), u"This installation program is corr");

  ASSERT_EQ(load.product.files.size(), 1u);
  const FileEntry& e = load.product.files[0].entry;
  EXPECT_EQ(e.target_name, "hello.exe");
  EXPECT_EQ(e.kind, 0u);
  EXPECT_EQ(e.flags, 0x2u);  // start-menu shortcut
  EXPECT_EQ(e.label, "hello");
  EXPECT_EQ(e.attributes, 0xFFFFFFFFu);
  EXPECT_TRUE(e.wide_name.empty());
  EXPECT_GE(e.time.year, 2020);  // the file's own time, not the build's
}

TEST(BuilderDescription, EverySectionOfTheSchemaReachesTheSettings) {
  Folder f;
  builder::ProductLoad load = builder::load_product(builder_test::write_rich_product(f));
  ASSERT_EQ(load.error, "");
  const Settings& s = load.product.settings;
  auto low = [&](std::uint32_t bits) { return (s.ProductFlags.low & bits) == bits; };
  auto high = [&](std::uint32_t bits) { return (s.ProductFlags.high & bits) == bits; };

  // Identity, requirements, existing installation, update-only.
  EXPECT_EQ(s.product_description, u"the rich test product");
  EXPECT_EQ(s.ProductStartMenu, u"Tessaline Tests\\Rich");
  EXPECT_EQ(s.product_icon.size(), 62u);
  EXPECT_EQ(s.Bitness, 2);
  EXPECT_EQ(s.minimum_system_version, (SystemVersion{6, 1, 7600, 1, 0}));
  EXPECT_EQ(s.excluded_systems, system_family::kWindowsVista | system_family::kServer2008);
  EXPECT_TRUE(s.ProductFlags.has_low(flags_low::kMustUninstallOlder));
  EXPECT_EQ(s.must_uninstall_version, u"2.0");
  EXPECT_TRUE(s.ProductFlags.has_high(flags_high::kWarnOldVersions));
  EXPECT_EQ(s.warning_version, "2.4");
  EXPECT_EQ(s.NoDowngradeBelow, "2.0");
  EXPECT_TRUE(s.ProductFlags.has_low(flags_low::kUpdateOnly));
  EXPECT_EQ(s.update_only.product_name, u"Rich Base");
  EXPECT_EQ(s.update_only.display_name, u"Rich Base");
  EXPECT_TRUE(low(flags_low::kNoExistingInstallQuestion));

  // Behaviour.
  EXPECT_TRUE(low(flags_low::kSingleInstance | flags_low::kAddToPath | 0x40000));
  EXPECT_EQ(s.AddToPathSubfolder, u"bin");
  EXPECT_EQ(s.extra_space, 1048576u);
  EXPECT_EQ(s.ShortcutMode, 0);
  EXPECT_EQ(s.registry_merge_file, u"Windows Registry Editor Version 5.00\r\n");
  EXPECT_EQ(s.install_path_registry_value, "HKLM\\Software\\Tessaline Tests\\Rich\\Path");
  EXPECT_EQ(s.inf_text, "driver.inf");
  EXPECT_EQ(s.shared_folder_base, 1);
  EXPECT_EQ(s.SharedPath, u"Tessaline Shared");
  EXPECT_EQ(s.portable_shared_subfolder, u"shared");
  EXPECT_TRUE(low(flags_low::kDetailedLog | flags_low::kRebootRequired));
  EXPECT_TRUE(high(flags_high::kStartMenuLogShortcut | flags_high::kAlwaysAskRestart));
  EXPECT_EQ(s.UninstallSubdir, u"uninstall");
  EXPECT_EQ(s.uninstall_key_name, u"RichProduct");
  EXPECT_EQ(s.uninstaller_icon, s.product_icon);
  EXPECT_TRUE(s.ProductFlags.has_low(flags_low::kStartMenuUninstaller));
  EXPECT_TRUE(s.ProductFlags.has_high(flags_high::kDesktopUninstaller));
  EXPECT_EQ(s.SupportOffer, "mailto:help@example.com");
  EXPECT_EQ(s.uninstaller_file_time, (DateTimeRecord{2024, 1, 2, 3, 4, 5}));
  ASSERT_EQ(s.extra_uninstall_values.size(), 2u);
  EXPECT_EQ(s.extra_uninstall_values[1], (ExtraUninstallValue{"Sub\\Count", 4, u"42"}));
  EXPECT_EQ(s.root_shortcut_name, u"Rich");
  EXPECT_EQ(s.taskbar_pin_command, u"%InstallDir%\\bin\\a.txt");
  EXPECT_EQ(s.DesktopFolder, u"Rich Tools");
  // [portable] registry = false, restore point cleared by [raw_flags],
  // strip_installation_data, uninstall completion message, ticked box,
  // reinstall batch for the same version only, batches announced.
  EXPECT_EQ(load.product.ProductFlags2, flags2::kPortableNoRegistry | flags2::kUninstallerWithoutSetupSection |
                                            0x40000 | flags2::kStartApplicationTicked |
                                            flags2::kRemoveInstallPathValue | flags2::kReinstallBatchSameVersionOnly |
                                            flags2::kLogPreInstallBatch | flags2::kLogPostInstallBatch |
                                            flags2::kLogUpgradeBatch | flags2::kLogReinstallBatch);
  EXPECT_TRUE(s.ProductFlags.has_high(0x8));  // [raw_flags] set_high

  // Look.
  EXPECT_EQ(s.automatic_mode_choice, 2);
  EXPECT_TRUE(low(flags_low::kAlwaysGreet | flags_low::kConfirmFolder));
  EXPECT_EQ(s.minimum_display_time, 250);
  EXPECT_EQ(s.installation_password, u"secret");
  EXPECT_EQ(s.header_text, u"Rich Setup");
  EXPECT_EQ(s.greeting_option, 1);
  EXPECT_EQ(s.sound.size(), 12u);
  EXPECT_EQ(s.page_styles, (std::array<std::uint32_t, 8>{0, 3, 3, 3, 3, 3, 2, 3}));
  EXPECT_EQ(s.launch_application, u"%InstallDir%\\bin\\a.txt");
  EXPECT_EQ(s.TitleColor, 0x000080FFu);
  EXPECT_EQ(s.TopColor, 0x00800000u);
  EXPECT_EQ(s.BottomColor, 0u);
  EXPECT_TRUE(s.ProductFlags.has_low(flags_low::kBackgroundBitmap));
  EXPECT_EQ(s.background_bitmap.size(), 58u);
  EXPECT_EQ(s.StretchMode, 3u);
  EXPECT_EQ(s.CopyrightPos, 6);
  EXPECT_EQ(s.CopyrightText, u"(c) Tessaline Tests");
  EXPECT_EQ(s.start_address, "https://example.com/start?v=%version%");
  EXPECT_EQ(s.NotifyURL, "https://example.com/uninstall");
  EXPECT_EQ(s.link_notification_address, "https://example.com/link");

  // Texts: German takes its own texts, then the English ones (changed by
  // [strings] where it changes them).
  ASSERT_EQ(s.strings.language_count(), 2);
  EXPECT_EQ(s.strings.language_name(1), u"Deutsch");
  EXPECT_EQ(s.strings.raw(0, 65), u"Rich Installer");
  EXPECT_EQ(s.strings.raw(1, 0), u"<product> Installation");
  EXPECT_EQ(s.strings.raw(1, 49), u"Abbrechen");
  EXPECT_EQ(s.strings.raw(1, 65), u"Rich Installer");
  EXPECT_EQ(s.strings.raw(1, 1), s.strings.raw(0, 1));
  ASSERT_EQ(s.licence_texts.size(), 2u);
  EXPECT_EQ(s.licence_texts[0], "{\\rtf1 licence}");
  EXPECT_EQ(s.licence_texts[1], "Plain licence: \xFC");  // Windows-1252
  EXPECT_EQ(s.readme_texts, std::vector<std::string>{"Readme \xE9t\xE9\r\n"});
  EXPECT_TRUE(s.ProductFlags.has_high(flags_high::kWriteReadmeFiles));
  EXPECT_EQ(s.post_installation_batch, "echo after\r\necho done");
  EXPECT_TRUE(s.ProductFlags.has_low(flags_low::kPreInstallBatchHidden));
  EXPECT_FALSE(s.ProductFlags.has_low(flags_low::kPostInstallBatchHidden));
  EXPECT_EQ(s.UninstallBatch1, "echo bye");

  // Files: the pattern skips hidden names, keeps subfolders, takes versions
  // from the files' own resources.
  std::vector<std::string> names;
  for (const auto& p : load.product.files)
    names.push_back(p.entry.target_name + "|" + kv::utf16_to_utf8(p.entry.wide_name) + "|" + p.entry.label);
  EXPECT_EQ(names, (std::vector<std::string>{"a.txt|%InstallDir%\\bin\\|", "b.dat|%InstallDir%\\bin\\|",
                                             "sys.dll|%InstallDir%\\bin\\|", "a.txt||", "sub\\c.txt||",
                                             "sys.dll||5.1.2600.1", "greeting.txt||Greeting"}));
  const FileEntry& nested = load.product.files[4].entry;
  EXPECT_EQ(nested.flags, (4u << 2) | 0x20);
  EXPECT_EQ(nested.attributes, 1u);
  const FileEntry& renamed = load.product.files[6].entry;
  EXPECT_EQ(renamed.flags, 0x3u);
  EXPECT_EQ(renamed.extra_1, "%InstallDir%\\app.ico");
  EXPECT_EQ(renamed.time, (DateTimeRecord{2020, 5, 6, 7, 8, 9}));
  EXPECT_EQ(load.product.files[5].entry.kind, 6u);

  // Lists, exactly as the installer reads them.
  ASSERT_EQ(s.shortcuts.size(), 1u);
  EXPECT_TRUE(s.shortcuts[0].in_start_menu && s.shortcuts[0].target_has_variables);
  EXPECT_EQ(s.shortcuts[0].show_mode, 2);
  EXPECT_EQ(s.registry_entries,
            u"HKLM\\Software\\Tessaline Tests\\Rich\r\n"
            u"\\HKAU\\Software\\Tessaline Tests\\Rich,Size,4,7,3\r\n"
            u"HKCU\\Software\\Rich,Blob,3,01 02 ff,1\r\n");
  ASSERT_EQ(s.associations.size(), 1u);
  EXPECT_EQ(s.associations[0].kind, 1u);
  EXPECT_EQ(s.associations[0].verb, "open");
  EXPECT_EQ(s.firewall_exceptions, "8080;Rich server;3;\r\nbin\\a.txt;;0;1\r\n");
  ASSERT_EQ(s.close_rules.size(), 1u);
  EXPECT_EQ(s.close_rules[0], (CloseRule{"RichWindow", "", "Rich", 2, 3}));
  ASSERT_EQ(s.conditional_deletions.size(), 2u);
  EXPECT_EQ(s.conditional_deletions[0], (ConditionalDeletion{"%InstallDir%\\old\\*.tmp", 3, "2020-01-01", 12}));
  EXPECT_EQ(s.conditional_deletions[1], (ConditionalDeletion{"%InstallDir%\\big.log", 5, "1000000", 6}));
}

struct BadInput {
  const char* toml;
  const char* message;  // the start of the error after "<folder>/"
};

// Every problem an author can make names the place and what was expected.
TEST(BuilderDescription, BadInputNamesThePlaceAndWhatWasExpected) {
  Folder f;
  f.write("a.txt", "a");
  f.write("bin/x.dll", "x");
  f.write("bin/y.dll", "y");
  f.write("plain.ico", "not an icon");
  const std::string many_shortcuts = [] {
    std::string t = "[product]\nname = \"P\"\n";
    for (int i = 0; i < 1001; ++i) t += "[[shortcuts]]\ntarget = \"x\"\ndesktop = true\n";
    return t;
  }();
  const std::string many_languages = [] {
    std::string t = "[product]\nname = \"P\"\n";
    for (int i = 0; i < 200; ++i) t += "[[languages]]\nname = \"L" + std::to_string(i) + "\"\n";
    return t;
  }();
  const std::string long_link = "[product]\nname = \"P\"\n[wizard]\nlink = \"" + std::string(65536, 'x') + "\"\n";
  const std::string licences = [] {
    std::string t = "[product]\nname = \"P\"\n[documents]\nlicence = [";
    for (int i = 0; i < 21; ++i) t += "{ text = \"x\" },";
    return t + "]\n";
  }();
  const std::string long_version =
      "[product]\nname = \"P\"\n[existing]\nno_downgrade_below = \"" + std::string(256, '1') + "\"\n";
  const BadInput cases[] = {
      {"[product\nname = \"P\"\n", "product.toml:1:9: not valid TOML: "},
      {"[installation]\ncompress = true\n", "product.toml: missing the [product] section"},
      {"[product]\nversion = \"1\"\n", "product.toml:1:1: [product] name: missing (a text is required)"},
      {"[product]\nname = \"\"\n", "product.toml:2:8: [product] name: must not be empty"},
      {"[product]\nname = \"P\"\nnmae = \"Q\"\n", "product.toml:3:1: unknown key \"nmae\" in [product]"},
      {"[product]\nname = \"P\"\n[wizzard]\n", "product.toml:3:2: unknown section [wizzard]"},
      {"[product]\nname = \"P\"\nversion = 1\n",
       "product.toml:3:11: [product] version: expected a text, found a whole number"},
      {"[product]\nname = \"P\\u0000\"\n", "product.toml:2:8: [product] name: a text cannot hold a zero character"},
      {"[product]\nname = \"P\"\nversion = \"2.0 \xC3\xA9\"\n",
       "product.toml:3:11: [product] version: expected plain ASCII text"},
      {"[product]\nname = \"P\"\nicon = \"plain.ico\"\n", "product.toml:3:8: [product] icon: "},
      {"[product]\nname = \"P\"\n[[files]]\nsource = \"missing.txt\"\n",
       "product.toml:4:10: [[files]] source: no such file: "},
      {"[product]\nname = \"P\"\n[[files]]\nsource = \"bin/*.exe\"\n",
       "product.toml:4:10: [[files]] source: no file matches bin/*.exe"},
      {"[product]\nname = \"P\"\n[[files]]\nsource = \"bin/*.dll\"\ndestination = \"lib.dll\"\n",
       "product.toml:5:15: [[files]] destination: names a single file but the source matches 2 files"},
      {"[product]\nname = \"P\"\n[[files]]\nsource = \"a.txt\"\nkind = \"program\"\n",
       "product.toml:5:8: [[files]] kind: expected \"file\", \"shared\", "},
      {"[product]\nname = \"P\"\n[[files]]\nsource = \"a.txt\"\nkind = 3\n", "product.toml:5:8: [[files]] kind: "},
      {"[product]\nname = \"P\"\n[[files]]\nsource = \"a.txt\"\nversion = \"1.0\"\n",
       "product.toml:5:11: [[files]] version: is used only by files of kind system, com-server"},
      {"[product]\nname = \"P\"\n[[files]]\nsource = \"a.txt\"\nkind = \"control-panel\"\n",
       "product.toml:3:1: [[files]] applet_class: missing (a text is required)"},
      {"[product]\nname = \"P\"\n[[files]]\nsource = \"a.txt\"\nkind = \"control-panel\"\napplet_class = \"{A}\\\\B\"\n",
       "product.toml:6:16: [[files]] applet_class: expected a class identifier such as \"{...}\" (not empty"},
      {"[product]\nname = \"P\"\n[[files]]\nsource = \"a.txt\"\nshortcut = { name = \"A\" }\n",
       "product.toml:5:12: [[files]] shortcut: expected desktop = true or start_menu = true"},
      {"[product]\nname = \"P\"\n[documents]\nlicence = \"gone.txt\"\n",
       "product.toml:4:11: [documents] licence: no such file: "},
      {licences.c_str(), "product.toml:4:11: [documents] licence: too many texts: 21, at most 20"},
      {"[product]\nname = \"P\"\n[strings]\n10000 = \"x\"\n",
       "product.toml:4:9: [strings] 10000: expected a text number from 0 to 9999 as the key"},
      {"[product]\nname = \"P\"\n[[languages]]\nname = \"English\"\n",
       "product.toml:4:8: [[languages]] name: English is built in; change its texts in [strings]"},
      {many_languages.c_str(), "product.toml: too many languages: 201, at most 200"},
      {"[product]\nname = \"P\"\n[wizard]\npassword = \""
       "12345678901234567890123456789012345678901234567890123456789012345"
       "\"\n",
       "product.toml:4:12: [wizard] password: too long: 65 characters, at most 64"},
      {"[product]\nname = \"P\"\n[wizard]\nminimum_display_time = 10000\n",
       "product.toml:4:24: [wizard] minimum_display_time: expected a whole number from 0 to 9999"},
      {"[product]\nname = \"P\"\n[wizard]\nstyle = \"fancy\"\n",
       "product.toml:4:9: [wizard] style: expected \"plain\", \"side-picture\", \"header\" or \"panel\" (or its "
       "number)"},
      {long_link.c_str(), "product.toml:4:8: [wizard] link: too long: 65536 bytes, at most 65535"},
      {"[product]\nname = \"P\"\n[background]\ntop_color = \"#12345\"\n",
       "product.toml:4:13: [background] top_color: expected a colour \"#RRGGBB\""},
      {"[product]\nname = \"P\"\n[background]\nstretch = \"tile\"\n",
       "product.toml:4:11: [background] stretch: needs a bitmap"},
      {"[product]\nname = \"P\"\n[batches]\npost_install = \"echo \xE6\x97\xA5\"\n",
       "product.toml:4:16: [batches] post_install: holds characters that Windows-1252 text cannot hold"},
      {long_version.c_str(), "product.toml:4:22: [existing] no_downgrade_below: too long: 256 characters, at most 255"},
      {"[product]\nname = \"P\"\n[uninstall]\nenabled = false\nstart_menu_shortcut = true\n",
       "product.toml:5:23: [uninstall] start_menu_shortcut: needs an uninstaller (enabled = true)"},
      {"[product]\nname = \"P\"\n[[uninstall.values]]\nname = \"N\"\nkind = \"number\"\nvalue = \"ten\"\n",
       "product.toml:6:9: [[uninstall.values]] value: expected a whole number for kind \"number\""},
      {"[product]\nname = \"P\"\n[update_only]\noldest_version = \"1\"\n",
       "product.toml:3:1: [update_only] product: missing (a text is required)"},
      {many_shortcuts.c_str(), "product.toml:3:1: [[shortcuts]]: too many entries: 1001, at most 1000"},
      {"[product]\nname = \"P\"\n[[shortcuts]]\ntarget = \"x\"\n",
       "product.toml:3:1: [[shortcuts]]: expected at least one place: desktop, start_menu, startup or folder"},
      {"[product]\nname = \"P\"\n[[registry]]\nkey = \"HKXX\\\\Software\"\n",
       "product.toml:4:7: [[registry]] key: expected a key that begins with HKLM\\"},
      {"[product]\nname = \"P\"\n[[registry]]\nkey = \"HKLM\\\\S\"\nname = \"V\"\ntype = \"binary\"\nvalue = \"0g\"\n",
       "product.toml:7:9: [[registry]] value: expected hexadecimal digits"},
      {"[product]\nname = \"P\"\n[[associations]]\nextension = \".x\"\ncommand = \"x\"\nlanguage = \"Klingon\"\n",
       "product.toml:6:12: [[associations]] language: not one of the product's languages"},
      {"[product]\nname = \"P\"\n[[firewall]]\nport = 70000\n",
       "product.toml:4:8: [[firewall]] port: expected a whole number from 1 to 65535"},
      {"[product]\nname = \"P\"\n[[firewall]]\nport = 80\nname = \"a;b\"\n",
       "product.toml:5:8: [[firewall]] name: cannot hold \";\" or line breaks"},
      {"[product]\nname = \"P\"\n[[close]]\nname = \"App\"\n",
       "product.toml:3:1: [[close]]: expected a window class, a title or both"},
      {"[product]\nname = \"P\"\n[[close]]\nclass = \"W\"\nphases = [\"uninstall-after-question\"]\n",
       "product.toml:5:10: [[close]] phases: \"uninstall-after-question\" needs \"uninstall\" too"},
      {"[product]\nname = \"P\"\n[[delete]]\npattern = \"~~THE END~~\"\n",
       "product.toml:4:11: [[delete]] pattern: this text marks the end of the list"},
      {"[product]\nname = \"P\"\n[[delete]]\npattern = \"x\"\ndate = \"yesterday\"\n",
       "product.toml:5:8: [[delete]] date: expected a date (2024-05-01)"},
      {"[product]\nname = \"P\"\n[raw_flags]\nset_low = 0x100000000\n",
       "product.toml:4:11: [raw_flags] set_low: expected a whole number from 0 to 4294967295"},
  };
  const std::string prefix = (f.path() / "").string();
  for (const BadInput& c : cases) {
    SCOPED_TRACE(c.toml);
    builder::ProductLoad load = load_text(f, c.toml);
    ASSERT_EQ(load.error.rfind(prefix, 0), 0u) << load.error;
    EXPECT_EQ(load.error.substr(prefix.size(), std::string_view(c.message).size()), c.message) << load.error;
  }
}

TEST(BuilderDescription, PatternsMatchNamesAndFoldersInSortedOrder) {
  struct NameCase {
    const char* pattern;
    const char* name;
    bool matches;
  };
  for (const NameCase& c : std::initializer_list<NameCase>{{"*.txt", "a.txt", true},
                                                           {"*.txt", "a.txt.bak", false},
                                                           {"a?c", "abc", true},
                                                           {"a?c", "ac", false},
                                                           {"[a-c]x", "bx", true},
                                                           {"[!a-c]x", "bx", false},
                                                           {"*a*b*", "xxaxxbxx", true},
                                                           {"*a*b", "xxaxxbxc", false},
                                                           {"[x", "[x", true}})
    EXPECT_EQ(builder::name_matches(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;

  Folder f;
  for (const char* name : {"app/b.dll", "app/a.dll", "app/z/c.dll", "app/z/y/d.dll", "app/.git/e.dll", "app/notes.txt"})
    f.write(name, "x");
  auto listed = [&](std::string_view source) {
    std::vector<std::string> out;
    for (const auto& m : builder::expand_source(f.path(), source))
      out.push_back(m.subfolder + "|" + m.file.filename().string());
    return out;
  };
  EXPECT_EQ(listed("app/*.dll"), (std::vector<std::string>{"|a.dll", "|b.dll"}));
  EXPECT_EQ(listed("app/**/*.dll"), (std::vector<std::string>{"|a.dll", "|b.dll", "z|c.dll", "z\\y|d.dll"}));
  EXPECT_EQ(listed("app/**"), (std::vector<std::string>{"|a.dll", "|b.dll", "|notes.txt", "z|c.dll", "z\\y|d.dll"}));
  EXPECT_EQ(listed("app/.*/*.dll"), (std::vector<std::string>{".git|e.dll"}));
  EXPECT_EQ(listed("app/z/c.dll"), (std::vector<std::string>{"|c.dll"}));
  EXPECT_TRUE(listed("app/missing.dll").empty());
}

}  // namespace
