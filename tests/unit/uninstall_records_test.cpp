// What the uninstaller reads back and the order in which it removes things:
// folders deepest first, shared-file counts, the author's registry entries,
// fonts, packages, firewall lines and the flag words.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry_items.h"
#include "registry_path.h"
#include "removal_order.h"
#include "shared_files.h"
#include "uninstall_records.h"

namespace {

using namespace uninstall;
using kv::RegistryRoot;
using Paths = std::vector<std::u16string>;

std::string narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

TEST(RemovalOrder, DirectoriesDeepestFirstAndParentsUpToTheInstallationFolder) {
  Paths directories = {u"C:\\App\\data", u"C:\\App\\data\\cache\\img", u"C:\\App\\logs", u"C:\\App\\data\\cache"};
  sort_longest_first(directories);
  EXPECT_EQ(directories, (Paths{u"C:\\App\\data\\cache\\img", u"C:\\App\\data\\cache", u"C:\\App\\data",
                                u"C:\\App\\logs"}));

  // Parents follow until the installation folder, in any letter case.
  EXPECT_EQ(removal_chain(u"C:\\App\\data\\cache\\img\\", u"c:\\app\\", kDirectoryChainLimit),
            (Paths{u"C:\\App\\data\\cache\\img", u"C:\\App\\data\\cache", u"C:\\App\\data"}));
  EXPECT_TRUE(removal_chain(u"C:\\App", u"C:\\App\\", kDirectoryChainLimit).empty());
  // Outside the installation folder the chain ends before the drive root.
  EXPECT_EQ(removal_chain(u"D:\\Shared\\Co", u"C:\\App", kDirectoryChainLimit),
            (Paths{u"D:\\Shared\\Co", u"D:\\Shared"}));
  EXPECT_EQ(removal_chain(u"C:\\a\\b\\c\\d", u"", 2), (Paths{u"C:\\a\\b\\c\\d", u"C:\\a\\b\\c"}));
}

TEST(RemovalOrder, StartMenuChainStaysInsideTheProgramsFolder) {
  const std::u16string programs = u"C:\\Users\\u\\Start Menu\\Programs";
  EXPECT_EQ(start_menu_chain(programs + u"\\", u"Company\\Product\\"),
            (Paths{programs + u"\\Company\\Product", programs + u"\\Company"}));
  EXPECT_TRUE(start_menu_chain(programs, u"").empty());
  EXPECT_TRUE(start_menu_chain(programs, u"..\\..").empty());
  EXPECT_TRUE(start_menu_chain(u"", u"Product").empty());
}

TEST(RemovalOrder, WholeFolderDeletionSparesSystemFolders) {
  const Paths kept = {u"C:\\Windows", u"C:\\Windows\\system32", u"C:\\Program Files (x86)\\",
                      u"C:\\Program Files\\Common Files", u"C:\\Users\\bob", u""};
  const struct {
    std::u16string folder;
    bool allowed;
  } cases[] = {
      {u"C:\\Program Files (x86)\\Product", true},
      {u"C:\\Users\\bob\\Tools\\", true},
      {u"c:\\program files (x86)\\", false},  // a protected folder in other spelling
      {u"C:\\Users", false},                  // holds a user's profile
      {u"C:\\Program Files", false},          // holds the common files folder
      {u"C:\\", false},
      {u"C:\\\\", false},
      {u"D:", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(narrow(c.folder));
    EXPECT_EQ(may_delete_whole_folder(c.folder, kept), c.allowed);
  }
}

TEST(SharedFiles, MarkersAndPaths) {
  EXPECT_EQ(parse_shared_files("\"C:\\Common\\a.dll^\";\"C:\\Common\\b.tlb\xA9\";\"C:\\Common\\keep.dll \";"
                               "\"|C:\\\xC3\xA9\\c.dll\"; D:\\plain.dll ;\"\";\"^\";\"|\""),
            (std::vector<SharedFile>{{u"C:\\Common\\a.dll", SharedFileKind::com_server},
                                     {u"C:\\Common\\b.tlb", SharedFileKind::type_library},
                                     {u"C:\\Common\\keep.dll", SharedFileKind::kept},
                                     {u"C:\\\u00e9\\c.dll", SharedFileKind::plain},
                                     {u"D:\\plain.dll", SharedFileKind::plain}}));
  // A UTF-8 path may end in "\xC2\xA9" ("\u00a9") without being a type library.
  EXPECT_EQ(parse_shared_files("\"|C:\\\xC2\xA9\""), (std::vector<SharedFile>{{u"C:\\\u00a9", SharedFileKind::plain}}));
  EXPECT_EQ(parse_shared_files("\"|C:\\\xC2\xA9\xA9\""),
            (std::vector<SharedFile>{{u"C:\\\u00a9", SharedFileKind::type_library}}));
}

TEST(SharedFiles, CountsAndWhichFilesGo) {
  const struct {
    std::uint32_t stored;
    SharedCountChange change;
  } counts[] = {
      {2, {true, 1, false}},  // another product still uses it
      {1, {true, 0, true}},
      {0, {false, 0, true}},  // below 1 already counts as zero and stays
      {0xFFFFFFFF, {false, 0xFFFFFFFF, true}},
      {0x80000001, {false, 0x80000001, true}},
  };
  for (const auto& c : counts) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(lower_shared_count(c.stored), c.change);
  }
  EXPECT_TRUE(shared_file_removable(SharedFileKind::plain, true));
  EXPECT_TRUE(shared_file_removable(SharedFileKind::com_server, true));
  EXPECT_FALSE(shared_file_removable(SharedFileKind::plain, false));
  EXPECT_FALSE(shared_file_removable(SharedFileKind::kept, true));
}

TEST(RegistryItems, ValuesGoFirstThenEmptyKeysDeepestFirst) {
  const std::u16string list =
      u"HKLM\\Software\\Co\r\n"
      u"\"HKLM\\Software\\Co\\App\"\r\n"
      u"\\HKAU\\Software\\Co\\App,Name,1,data,3\r\n"
      u"HKLM\\Software\\Co\\App,Kept,1,x,1\r\n"
      u"HKCU\\Software\\Co,Old,1,,5\r\n"
      u"HKLM\\Software\\Co\\App,\"a,b\",1,x, 2\r\n"
      u"HKLM\\Soft\r\n"           // one backslash: not a key to remove
      u"HKLM\\A\\B,two fields\r\n"
      u"HKZZ\\Software\\X,V,1,x,3\r\n";
  std::vector<RegistryUndo> expected;
  auto expect = [&expected](RegistryUndo::Kind kind, RegistryRoot root, const char16_t* key, const char16_t* name) {
    RegistryUndo& undo = expected.emplace_back();
    undo.kind = kind;
    undo.key.root = root;
    undo.key.key = key;
    undo.value_name = name;
  };
  expect(RegistryUndo::remove_value, RegistryRoot::all_users, u"Software\\Co\\App", u"Name");
  expect(RegistryUndo::remove_value, RegistryRoot::current_user, u"Software\\Co", u"Old");
  expect(RegistryUndo::remove_value, RegistryRoot::local_machine, u"Software\\Co\\App", u"a,b");
  expect(RegistryUndo::remove_key_if_empty, RegistryRoot::local_machine, u"Software\\Co\\App", u"");
  expect(RegistryUndo::remove_key_if_empty, RegistryRoot::local_machine, u"Software\\Co", u"");
  EXPECT_EQ(registry_items_to_undo(list), expected);
}

TEST(RegistryItems, ProductKeyParentsStopBelowSoftware) {
  EXPECT_EQ(product_key(u"Company\\Product\\Sub"), u"Software\\Company\\Product\\Sub");
  EXPECT_EQ(product_key_parents(u"Company\\Product\\Sub"),
            (Paths{u"Software\\Company\\Product", u"Software\\Company"}));
  EXPECT_TRUE(product_key_parents(u"Product").empty());
}

TEST(UninstallRecords, FontsPackagesAndFirewallLines) {
  EXPECT_EQ(parse_product_fonts("\"Sans Test (TrueType)\",\"sanstest.ttf\";\"Say \"\"Hi\"\" \xC3\xA9\","
                                "\"|h\xC3\xA9.ttf\";\"unpaired\""),
            (std::vector<FontRecord>{{u"Sans Test (TrueType)", u"sanstest.ttf"},
                                     {u"Say \"Hi\" \u00e9", u"h\u00e9.ttf"}}));

  EXPECT_EQ(parse_msi_line("\"C:\\Pack,ages\\a.msi\",3"), (MsiRecord{u"C:\\Pack,ages\\a.msi", 3}));
  EXPECT_EQ(parse_msi_line("\"|C:\\\xC3\xA9.msi\",-1"), (MsiRecord{u"C:\\\u00e9.msi", -1}));
  EXPECT_FALSE(parse_msi_line("\"C:\\a.msi\""));
  EXPECT_FALSE(parse_msi_line("\"\",2"));

  EXPECT_EQ(parse_firewall_line("8080;Web;3;x"), (FirewallRecord{true, 8080, true, true, u""}));
  EXPECT_EQ(parse_firewall_line("53;Dns;2;x"), (FirewallRecord{true, 53, false, true, u""}));
  EXPECT_EQ(parse_firewall_line("%InstallDir%\\app.exe;App;0;1"),
            (FirewallRecord{false, 0, false, false, u"%InstallDir%\\app.exe"}));
  EXPECT_EQ(parse_firewall_line("80a;App;1;1"), (FirewallRecord{false, 0, false, false, u"80a"}));
  EXPECT_FALSE(parse_firewall_line("80;Web;1"));
  EXPECT_FALSE(parse_firewall_line("80;Web;1;2;3"));
}

TEST(UninstallRecords, FlagWordsAndSupportOffer) {
  const struct {
    std::u16string text;
    std::uint32_t low, high;
  } flags[] = {
      {u"512", 0x200, 0},
      {u"4294967808", 0x200, 1},
      {u"-1", 0xFFFFFFFF, 0xFFFFFFFF},
      {u"-9223372036854775808", 0, 0x80000000},
      {u"99999999999999999999", 0xFFFFFFFF, 0x7FFFFFFF},  // saturates
      {u"", 0, 0},
  };
  for (const auto& f : flags) {
    SCOPED_TRACE(narrow(f.text));
    FlagWords words = parse_product_flags(f.text);
    EXPECT_EQ(words.low, f.low);
    EXPECT_EQ(words.high, f.high);
  }
  EXPECT_EQ(parse_product_flags2(u"4294967295"), 0xFFFFFFFFu);

  const struct {
    std::u16string offer;
    std::u16string address;  // empty: no offer
  } offers[] = {
      {u" https://example.test/help\r\n", u"https://example.test/help"},
      {u"\twww.example.test", u"http://www.example.test"},
      {u"help@example.test", u"mailto:help@example.test"},
      {u"mailto:help@example.test", u"mailto:help@example.test"},
      {u"Call us today", u""},
      {u"a@b", u""},
      {u"", u""},
  };
  for (const auto& o : offers) {
    SCOPED_TRACE(narrow(o.offer));
    EXPECT_EQ(support_address(o.offer).value_or(u""), o.address);
  }
}

}  // namespace
