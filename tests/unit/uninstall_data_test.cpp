// The uninstall data: recording, the file image and reading it back.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "close_rules.h"
#include "csv.h"
#include "uninstall_data.h"

namespace {

using uninstall::RemovalKind;
using uninstall::UninstallData;

TEST(RemovalList, KindCharactersDuplicatesAndDriveRoots) {
  UninstallData data;
  struct Add {
    std::u16string path;
    RemovalKind kind;
    bool added;
  };
  const Add adds[] = {
      {u"C:\\App\\a.exe", RemovalKind::file, true},
      {u"C:\\App\\Data", RemovalKind::directory, true},
      {u"c:\\app\\DATA", RemovalKind::directory, false},  // same directory, other case
      {u"\\HKLM\\Software\\App\\Path", RemovalKind::registry_value, true},
      {u"\\HKLM\\Software\\App", RemovalKind::registry_key, true},
      {u"\\HKLM\\Software\\Classes\\CLSID\\{1}", RemovalKind::registry_key_64, true},
      {u"C:\\", RemovalKind::directory, false},  // a drive root
      {u"C:\\", RemovalKind::file, false},
      {u"", RemovalKind::file, false},
      {u"C:\\a", RemovalKind::directory, true},  // four characters are enough
      {u"C:\\Caf\u00e9", RemovalKind::directory, true},
      {u"C:\\odd", static_cast<RemovalKind>(7), true},  // unknown kinds get no character
  };
  for (const Add& add : adds) {
    SCOPED_TRACE(std::string(add.path.begin(), add.path.end()));
    EXPECT_EQ(uninstall::add_to_removal_list_w(data, add.path, add.kind), add.added);
  }
  EXPECT_EQ(data.removal_list,
            "C:\\App\\a.exe\r\n"
            "~C:\\App\\Data\r\n"
            "!\\HKLM\\Software\\App\\Path\r\n"
            "^\\HKLM\\Software\\App\r\n"
            "*\\HKLM\\Software\\Classes\\CLSID\\{1}\r\n"
            "~C:\\a\r\n"
            "~|C:\\Caf\xC3\xA9\r\n"
            "C:\\odd\r\n");

  // After clearing, the uninstaller may add the same directory again.
  uninstall::clear_uninstall_data(data);
  EXPECT_TRUE(data.removal_list.empty());
  EXPECT_TRUE(uninstall::add_to_removal_list(data, "C:\\App\\Data", RemovalKind::directory));
}

TEST(UninstallImage, SectionsInOrderAndEmptyOnesLeftOut) {
  UninstallData data;
  uninstall::add_to_removal_list(data, "C:\\App\\a.exe", RemovalKind::file);
  uninstall::add_to_removal_list(data, "C:\\App", RemovalKind::directory);
  data.texts[10] = u"a\xD800";  // a lone surrogate has no UTF-8 form
  data.texts[53] = u"Remove it?";
  data.texts[12] = u"not an uninstaller text";
  data.header_text = u"Header \u00e9";
  data.close_rules.push_back({"*Editor", "", "My, Editor", 2, 7});
  uninstall::add_firewall_line(data, "80;x;1;y");
  uninstall::add_msi_package(data, u"C:\\p.msi", 3);
  data.registry_items = u"HKLM\\Software\\A\r\n";
  data.conditional_deletions.push_back({"old.dll", 4, "100", 8 | 2});
  data.conditional_deletions.push_back({"new.dll", 0, "", 4});  // installation only

  EXPECT_EQ(uninstall::build_uninstall_image(data),
            "C:\\App\\a.exe\r\n~C:\\App\r\n"
            "\r\n\r\n[Strings]\r\n"
            "~10\r\na?\r\n~15\r\n\r\n~20\r\n\r\n~30\r\n\r\n~34\r\n\r\n~35\r\n\r\n~49\r\n\r\n"
            "~53\r\nRemove it?\r\n~55\r\n\r\n~56\r\n\r\n~57\r\n\r\n~58\r\n\r\n~59\r\n\r\n~65\r\n\r\n"
            "~67\r\n\r\n~68\r\n\r\n~69\r\n\r\n~70\r\n\r\n~71\r\n\r\n~74\r\n\r\n~79\r\n\r\n~80\r\n\r\n"
            "~99\r\n\r\n~100\r\n\r\n~101\r\n\r\n~104\r\n\r\n~107\r\n\r\n~108\r\n\r\n~109\r\n\r\n"
            "~110\r\n\r\n~111\r\n\r\n"
            "~999\r\nHeader \xC3\xA9\r\n"
            "\r\n\r\n[AutoClose]\r\n*Editor,,\"My, Editor\",2\r\n"
            "\r\n\r\n[Firewall]\r\n80;x;1;y\r\n"
            "\r\n\r\n[MSI]\r\n\"C:\\p.msi\",3\r\n"
            "\r\n\r\n[Registry2]\r\nHKLM\\Software\\A\r\n"
            "\r\n\r\n[ConditionalDelete]\r\nold.dll,4,100,10\r\n");
}

// The installer's rules on their way to the uninstaller's two passes: only
// those for uninstalling travel, and each acts in the pass its mode gives.
TEST(UninstallImage, CloseRulesActInThePassTheirModeGives) {
  using setup::CloseAction;
  using setup::CloseRule;
  const std::vector<CloseRule> installed = {
      {"Viewer", "", "Viewer", 0, CloseRule::kBeforeInstalling},  // installation only
      {"", "*Editor", "Editor", 2, CloseRule::kBeforeInstalling | CloseRule::kBeforeUninstallQuestion},
      {"Editor", "", "Editor", 3, CloseRule::kBeforeUninstallQuestion},
  };
  UninstallData data;
  data.close_rules = setup::close_rules_for_uninstaller(installed);
  UninstallData read = uninstall::parse_uninstall_image(uninstall::build_uninstall_image(data));
  ASSERT_EQ(read.close_rules.size(), 2u);
  EXPECT_EQ(read.close_rules[0].phase_flags, CloseRule::kAfterUninstallQuestion);
  EXPECT_EQ(read.close_rules[1].phase_flags, CloseRule::kBeforeUninstallQuestion);

  // Before the question the terminating rule acts, though the asking one comes first.
  const setup::WindowFacts editor{"Editor", "My Editor 2", false, false};
  auto before = setup::decide_close(read.close_rules, CloseRule::kBeforeUninstallQuestion, editor, false);
  EXPECT_EQ(before.action, CloseAction::terminate);
  auto after = setup::decide_close(read.close_rules, CloseRule::kAfterUninstallQuestion, editor, false);
  EXPECT_EQ(after.action, CloseAction::ask);
  EXPECT_EQ(after.rule->display_name, "Editor");
  EXPECT_EQ(setup::decide_close(read.close_rules, CloseRule::kBeforeUninstallQuestion, {"Viewer", "", false, false},
                                false).action,
            CloseAction::none);
}

TEST(UninstallImage, RoundTripKeepsEverySection) {
  UninstallData data;
  uninstall::add_to_removal_list_w(data, u"C:\\Caf\u00e9\\x.txt", RemovalKind::file);
  data.texts[53] = u"Remove <product>?\r\n\r\n  All files will be deleted.";
  data.texts[55] = u"Uninstall \u4e2d";
  data.header_text = u"The header";
  data.close_rules = {{"AppWindow", "", "App", 0, 3},
                      {"", "*Editor", "An \"Editor\"; really", 2, 4},
                      {" padded ", "#hash", "'quoted", 3, 2}};
  uninstall::add_association(data, ".abc", "App.Document", "open", "");
  uninstall::add_firewall_line(data, "8080;Web;3;x");
  uninstall::add_driver_package(data, u"C:\\Windows\\INF\\oem7.inf");
  uninstall::add_msi_package(data, u"C:\\Pkg\\Setup \u00e9.msi", 2);
  data.registry_items = u"\"\\HKAU\\Software\\App\",Name,1,\u00e9,2\r\n\\HKLM\\Software\\App";
  data.conditional_deletions = {{"%InstallDir%\\old*.dll", 2, "2020-01-31 12:00", 8 | 1},
                                {"a,b.txt", 9, "", 8}};

  UninstallData read = uninstall::parse_uninstall_image(uninstall::build_uninstall_image(data));

  EXPECT_EQ(read.removal_lines.front(), "|C:\\Caf\xC3\xA9\\x.txt");
  EXPECT_EQ(uninstall::uninstall_text(read, 53), data.texts[53]);
  EXPECT_EQ(uninstall::uninstall_text(read, 55), data.texts[55]);
  EXPECT_EQ(uninstall::uninstall_text(read, 10), u"");
  EXPECT_EQ(read.header_text, data.header_text);
  ASSERT_EQ(read.close_rules.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(read.close_rules[i].class_pattern, data.close_rules[i].class_pattern);
    EXPECT_EQ(read.close_rules[i].title_pattern, data.close_rules[i].title_pattern);
    EXPECT_EQ(read.close_rules[i].display_name, data.close_rules[i].display_name);
    EXPECT_EQ(read.close_rules[i].close_mode, data.close_rules[i].close_mode);
  }
  // The file has no phases: asking rules act after the question, the others before it.
  EXPECT_EQ(read.close_rules[0].phase_flags, setup::CloseRule::kBeforeUninstallQuestion);
  EXPECT_EQ(read.close_rules[1].phase_flags, setup::CloseRule::kAfterUninstallQuestion);
  EXPECT_EQ(read.close_rules[2].phase_flags, setup::CloseRule::kBeforeUninstallQuestion);
  ASSERT_EQ(read.association_records.size(), 1u);
  EXPECT_EQ(read.association_records[0].class_key, "App.Document");
  EXPECT_EQ(read.association_records[0].icon, "");
  EXPECT_TRUE(read.associations.empty());  // undone once, not written again
  EXPECT_EQ(read.firewall, data.firewall);
  EXPECT_EQ(read.inf, data.inf);
  EXPECT_EQ(read.msi, "\"|C:\\Pkg\\Setup \xC3\xA9.msi\",2\r\n");  // the quotes stay
  EXPECT_EQ(read.registry_items, data.registry_items + u"\r\n");
  ASSERT_EQ(read.conditional_deletions.size(), 2u);
  EXPECT_EQ(read.conditional_deletions[0].pattern, "%InstallDir%\\old*.dll");
  EXPECT_EQ(read.conditional_deletions[0].operand, "2020-01-31 12:00");
  EXPECT_EQ(read.conditional_deletions[0].flags, 9);
  EXPECT_EQ(read.conditional_deletions[1].pattern, "a,b.txt");
  EXPECT_EQ(read.conditional_deletions[1].comparison, 9);

  // A rewrite of what was read changes nothing more.
  UninstallData again = uninstall::parse_uninstall_image(uninstall::build_uninstall_image(read));
  EXPECT_EQ(uninstall::build_uninstall_image(again), uninstall::build_uninstall_image(read));
}

struct ParseCase {
  const char* name;
  std::string image;
  std::function<void(const UninstallData&)> check;
};

TEST(UninstallImage, ReadingEdgeCases) {
  const ParseCase cases[] = {
      {"no section lines: a removal list only, empty lines kept",
       "C:\\a.txt\r\n\r\n~C:\\dir\n[strings]\r\n~53\r\nx",
       [](const UninstallData& d) {
         EXPECT_EQ(d.removal_lines,
                   (std::vector<std::string>{"C:\\a.txt", "", "~C:\\dir", "[strings]", "~53", "x"}));
         EXPECT_TRUE(d.texts.empty());
       }},
      {"ids 0 and 1001 are ignored with their lines; 1000 and 999 are taken",
       "[Strings]\r\n~0\r\nzero\r\n~1000\r\nthousand\r\n~1001\r\nbig\r\n~999\r\nheader\r\n",
       [](const UninstallData& d) {
         EXPECT_EQ(d.texts.size(), 1u);
         EXPECT_EQ(uninstall::uninstall_text(d, 1000), u"thousand");
         EXPECT_EQ(d.header_text, u"header");
       }},
      {"a line beginning with ~ ends the text before it",
       "[Strings]\r\n~53\r\nfirst\r\n~ not an id\r\nlost\r\n~55\r\ntitle  \t\r\n\r\n",
       [](const UninstallData& d) {
         EXPECT_EQ(uninstall::uninstall_text(d, 53), u"first");
         EXPECT_EQ(uninstall::uninstall_text(d, 55), u"title");
       }},
      {"texts keep their own line ends and leading blanks, decoded from UTF-8",
       "[Strings]\n~53\n  one\r\ntwo\n\rthree \xC3\xA9\r\n\r\n[AutoClose]\r\n",
       [](const UninstallData& d) {
         EXPECT_EQ(uninstall::uninstall_text(d, 53), u"  one\r\ntwo\n\rthree \u00e9");
       }},
      {"a text ends at a line beginning with a section name",
       "[Strings]\r\n~53\r\nabc\r\n[Firewall]x\r\nlost\r\n",
       [](const UninstallData& d) {
         EXPECT_EQ(uninstall::uninstall_text(d, 53), u"abc");
         EXPECT_TRUE(d.firewall.empty());
       }},
      {"close rules need exactly four fields",
       "[AutoClose]\r\nA,B,C\r\nA,B,C,2,5\r\n  \"*Ed\"\"it\" , Title ,App,1\r\n",
       [](const UninstallData& d) {
         ASSERT_EQ(d.close_rules.size(), 1u);
         EXPECT_EQ(d.close_rules[0].class_pattern, "*Ed\"it");
         EXPECT_EQ(d.close_rules[0].title_pattern, "Title");
         EXPECT_EQ(d.close_rules[0].close_mode, 1);
       }},
      {"associations without extension, class or verb are dropped",
       "[Associations]\r\n.a~!~A.Doc~!~open~!~icon~!~x\r\n.b~!~B.Doc~!~~!~icon\r\n.c~!~C.Doc\r\n",
       [](const UninstallData& d) {
         ASSERT_EQ(d.association_records.size(), 1u);
         EXPECT_EQ(d.association_records[0].icon, "icon~!~x");
       }},
      {"conditional deletions need exactly four fields",
       "[ConditionalDelete]\r\na.dll,4,100\r\nb.dll,x,,8\r\n",
       [](const UninstallData& d) {
         ASSERT_EQ(d.conditional_deletions.size(), 1u);
         EXPECT_EQ(d.conditional_deletions[0].pattern, "b.dll");
         EXPECT_EQ(d.conditional_deletions[0].comparison, 0);
       }},
      {"sections may come in any order and repeat",
       "[MSI]\r\n\"a.msi\",2\r\n[INF]\r\nC:\\x.inf\r\n[MSI]\r\n\r\n\"b.msi\",3",
       [](const UninstallData& d) {
         EXPECT_EQ(d.msi, "\"a.msi\",2\r\n\"b.msi\",3\r\n");
         EXPECT_EQ(d.inf, "C:\\x.inf\r\n");
       }},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.name);
    c.check(uninstall::parse_uninstall_image(c.image));
  }
}

TEST(Csv, QuotingRule) {
  const std::pair<const char*, const char*> fields[] = {
      {"plain", "plain"},          {"a,b", "\"a,b\""},     {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"a\tb", "\"a\tb\""},        {"a\r\nb", "\"a\r\nb\""}, {"a;b", "\"a;b\""},
      {"a|b", "\"a|b\""},          {" lead", "\" lead\""}, {"trail ", "\"trail \""},
      {"'apos", "\"'apos\""},      {"#hash", "\"#hash\""}, {"mid dle", "mid dle"},
      {"x'#", "x'#"},              {"", ""},
  };
  for (const auto& [field, quoted] : fields) {
    SCOPED_TRACE(field);
    EXPECT_EQ(kv::csv_field(std::string_view(field)), quoted);
    if (*field) {
      EXPECT_EQ(kv::csv_split(quoted), std::vector<std::string>{field});
    }
  }
  EXPECT_EQ(kv::csv_record({""}), "\"\"\r\n");
  EXPECT_EQ(kv::csv_record({"a", "", "b c"}), "a,,b c\r\n");
  EXPECT_EQ(kv::csv_split(""), std::vector<std::string>{""});
  EXPECT_EQ(kv::csv_split("a, b ,\"c\"\"\" ,"), (std::vector<std::string>{"a", "b", "c\"", ""}));
  EXPECT_EQ(kv::csv_split(u"\"unterminated, quote"), std::vector<std::u16string>{u"unterminated, quote"});
}

TEST(UninstallDataPath, JoinsFolderSubfolderAndName) {
  EXPECT_EQ(uninstall::uninstall_data_path(u"C:\\App", u"uninst"), u"C:\\App\\uninst\\Uninstall.DAT");
  EXPECT_EQ(uninstall::uninstall_data_path(u"C:\\App\\", u"\\uninst\\"), u"C:\\App\\uninst\\Uninstall.DAT");
  EXPECT_EQ(uninstall::uninstall_data_path(u"C:\\App", u""), u"C:\\App\\Uninstall.DAT");
}

}  // namespace
