// The registry entries, the merge file and the file associations on the
// test prefix (a 64-bit Windows in which the runtime is a 32-bit process),
// and the uninstaller's undoing of what they recorded.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine_run.h"
#include "file_associations.h"
#include "install_log.h"
#include "kv_core.h"
#include "pending_renames.h"
#include "product_flags.h"
#include "registry.h"
#include "registry_entries.h"
#include "run_state.h"
#include "uninstall_data.h"
#include "uninstaller.h"
#include "uninstaller_win.h"
#include "win_handles.h"

namespace {

constexpr kv::RegView kView = kv::RegView::native32;
const std::u16string kProduct = u"Tess Registry Test";
const std::u16string kBackup = u"Tess Registry Test Backup";
const std::u16string kInstallDir = u"C:\\Program Files (x86)\\Tess Registry";

struct StringLog final : engine::RunLogSink {
  std::string text;
  void append(std::string_view utf8) override { text += utf8; }
};

struct Value {
  DWORD type = 0;
  std::vector<std::uint8_t> bytes;
  bool operator==(const Value&) const = default;
};

std::optional<Value> read_value(HKEY root, const std::u16string& key, const std::u16string& name,
                                kv::RegView view = kView) {
  kv::UniqueRegKey k = kv::reg_open(root, key, KEY_READ, view);
  if (!k) return std::nullopt;
  Value v;
  auto bytes = kv::reg_read_binary(k.get(), name, &v.type);
  if (!bytes) return std::nullopt;
  v.bytes = std::move(*bytes);
  return v;
}

std::optional<std::u16string> read_text(HKEY root, const std::u16string& key, const std::u16string& name,
                                        kv::RegView view = kView) {
  kv::UniqueRegKey k = kv::reg_open(root, key, KEY_READ, view);
  if (!k) return std::nullopt;
  return kv::reg_read_string(k.get(), name);
}

bool key_exists(HKEY root, const std::u16string& key, kv::RegView view = kView) {
  return static_cast<bool>(kv::reg_open(root, key, KEY_READ, view));
}

void write_text(HKEY root, const std::u16string& key, const std::u16string& name, const std::u16string& text,
                DWORD type = REG_SZ) {
  kv::UniqueRegKey k = kv::reg_create(root, key, KEY_READ | KEY_WRITE, kView);
  ASSERT_TRUE(k);
  ASSERT_EQ(kv::reg_write_string(k.get(), name, text, type), ERROR_SUCCESS);
}

// Every key below `key` (itself included) with every value as stored.
using Tree = std::map<std::u16string, std::map<std::u16string, Value>>;
void read_tree(HKEY root, const std::u16string& key, Tree& tree, const std::u16string& shown) {
  kv::UniqueRegKey k = kv::reg_open(root, key, KEY_READ, kView);
  if (!k) return;
  auto& values = tree[shown];
  for (DWORD i = 0;; ++i) {
    wchar_t name[512];
    DWORD length = 512;
    if (RegEnumValueW(k.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    std::u16string n = kv::from_wide(name, length);
    values[n] = *read_value(root, key, n);
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[512];
    DWORD length = 512;
    if (RegEnumKeyExW(k.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    std::u16string n = kv::from_wide(name, length);
    read_tree(root, key + u"\\" + n, tree, shown + u"\\" + n);
  }
}
Tree classes_tree(const std::vector<std::u16string>& keys) {
  Tree tree;
  for (const std::u16string& key : keys) read_tree(HKEY_CLASSES_ROOT, key, tree, key);
  return tree;
}

class RegistryWin : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    tag_ = u"TessRegistryTest-" + kv::to_u16(GetCurrentProcessId()) + u"-" + kv::to_u16(++counter);
    engine::run.log.run_log = &log_;
    engine::run.log.error_report.clear();
    engine::run.paths = {};
    engine::run.paths.install_dir = kInstallDir;
    engine::run.paths.product_name = kProduct;
    setup::run.settings = {};
    setup::run.installation.head.ProductFlags2 = 0;
    setup::run.strings.assign({u"English", u"Deutsch"}, 1, {u"", u""});
    setup::run.strings.set_current_language(0);
    uninstall::uninstall_data = {};
    uninstall::uninstall_run = {};
    uninstall::uninstall_run.display_name = kProduct;
  }

  void TearDown() override {
    engine::run.log.run_log = nullptr;
    for (const std::u16string& hive : kv::user_hives())
      kv::reg_delete_tree(HKEY_USERS, hive + u"\\" + software(), kView);
    kv::reg_delete_tree(HKEY_LOCAL_MACHINE, software(), kView);
    kv::reg_delete_tree(HKEY_CURRENT_USER, software(), kView);
    for (const std::u16string& key : classes_) kv::reg_delete_tree(HKEY_CLASSES_ROOT, key, kView);
  }

  std::u16string software() const { return u"Software\\" + tag_; }
  std::u16string error_report() const { return kv::ansi_to_utf16(engine::run.log.error_report); }

  // A file type and an extension under HKEY_CLASSES_ROOT that the test
  // removes again.
  std::u16string class_key(std::u16string_view suffix) {
    classes_.push_back(tag_ + std::u16string(suffix));
    return classes_.back();
  }
  std::u16string extension_key(std::u16string_view suffix) {
    classes_.push_back(u"." + tag_ + std::u16string(suffix));
    return classes_.back();
  }

  void apply(const std::u16string& list) {
    setup::run.settings.registry_entries = list;
    integration::apply_registry_entries();
  }

  // The uninstaller's view of what the run recorded: the file written and
  // read back.
  void read_back_uninstall_data() {
    uninstall::UninstallData read = uninstall::parse_uninstall_image(uninstall::build_uninstall_image(uninstall::uninstall_data));
    uninstall::uninstall_data = std::move(read);
  }

  std::u16string tag_;
  std::vector<std::u16string> classes_;
  StringLog log_;
};

TEST_F(RegistryWin, EverySpellingOfARootAddressesTheSameKey) {
  const std::u16string key = software() + u"\\Spelling";
  const std::u16string classes = class_key(u".Spelling");  // any key of the classes root
  const struct {
    std::u16string long_form, short_form, wrapped, lower;
    HKEY root;
    std::u16string key;
  } roots[] = {
      {u"HKEY_LOCAL_MACHINE", u"HKLM", u"\\HKLM", u"hklm", HKEY_LOCAL_MACHINE, key},
      {u"HKEY_CURRENT_USER", u"HKCU", u"\\HKCU", u"hkcu", HKEY_CURRENT_USER, key},
      {u"HKEY_CLASSES_ROOT", u"HKCR", u"\\HKCR", u"hkcr", HKEY_CLASSES_ROOT, classes},
  };
  std::u16string list;
  for (const auto& r : roots)
    for (const std::u16string* root : {&r.long_form, &r.short_form, &r.wrapped, &r.lower})
      list += *root + u"\\" + r.key + u"," + *root + u",1,x,3\r\n";
  apply(list);
  EXPECT_EQ(error_report(), u"");
  for (const auto& r : roots)
    for (const std::u16string* root : {&r.long_form, &r.short_form, &r.wrapped, &r.lower})
      EXPECT_EQ(read_text(r.root, r.key, *root), u"x") << kv::utf16_to_utf8(*root);
}

TEST_F(RegistryWin, AnIllegalRecordIsReportedAndTheNextOneWritten) {
  apply(u"HKCU\\" + software() + u",Lonely\r\nHKCU\\" + software() + u",After,1,written,3\r\n");
  EXPECT_EQ(error_report(), u"Illegal registry entry: HKCU\\" + software() + u",Lonely\r\n");
  EXPECT_EQ(read_text(HKEY_CURRENT_USER, software(), u"After"), u"written");
}

TEST_F(RegistryWin, ActionsOnValuesThatExistAndThatDoNot) {
  write_text(HKEY_CURRENT_USER, software(), u"Existing", u"old");
  write_text(HKEY_CURRENT_USER, software(), u"Doomed", u"old");
  write_text(HKEY_CURRENT_USER, software(), u"AtUninstall", u"old");
  const std::u16string k = u"HKCU\\" + software();
  apply(k + u",Existing,1,new,6\r\n" + k + u",Missing,1,made,6\r\n" + k + u",Doomed,1,,4\r\n" + k +
        u",AtUninstall,1,new,2\r\n" + k + u",Unknown,1,new,9\r\n" + k + u"\\NotThere,Gone,1,,5\r\n");
  EXPECT_EQ(error_report(), u"");
  EXPECT_EQ(read_text(HKEY_CURRENT_USER, software(), u"Existing"), u"old");
  EXPECT_EQ(read_text(HKEY_CURRENT_USER, software(), u"Missing"), u"made");
  EXPECT_EQ(read_value(HKEY_CURRENT_USER, software(), u"Doomed"), std::nullopt);
  EXPECT_EQ(read_text(HKEY_CURRENT_USER, software(), u"AtUninstall"), u"old");
  EXPECT_EQ(read_value(HKEY_CURRENT_USER, software(), u"Unknown"), std::nullopt);
  // A deletion creates no key.
  EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, software() + u"\\NotThere"));
}

TEST_F(RegistryWin, ValuesAreStoredWithTheirTypes) {
  const std::u16string k = u"HKLM\\" + software();
  apply(k + u",Expanded,1,%InstallDir%\\data,3\r\n" + k + u",AsWritten,2,%InstallDir%\\data,3\r\n" + k +
        u",Bytes,3,01 02 ff,3\r\n" + k + u",Number,4,-1,3\r\n" + k + u",Wide,11,4294967296,3\r\n" + k +
        u",Empty,7,ignored,3\r\n" + k + u",Broken,3,0x12,3\r\n");
  EXPECT_EQ(read_text(HKEY_LOCAL_MACHINE, software(), u"Expanded"), kInstallDir + u"\\data");
  EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, software(), u"Expanded")->type, DWORD(REG_SZ));
  EXPECT_EQ(read_text(HKEY_LOCAL_MACHINE, software(), u"AsWritten"), u"%InstallDir%\\data");
  EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, software(), u"AsWritten")->type, DWORD(REG_EXPAND_SZ));
  EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, software(), u"Bytes"), (Value{REG_BINARY, {1, 2, 0xff}}));
  EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, software(), u"Number"), (Value{REG_DWORD, {0xff, 0xff, 0xff, 0xff}}));
  EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, software(), u"Wide"), (Value{REG_QWORD, {0, 0, 0, 0, 1, 0, 0, 0}}));
  EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, software(), u"Empty"), (Value{REG_MULTI_SZ, {}}));
  EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, software(), u"Broken"), std::nullopt);
  EXPECT_EQ(error_report(),
            u"Failed to create registry value \"Broken\": " + kv::system_error_text(ERROR_INVALID_DATA) + u"\r\n");
  // A 32-bit product's keys are the 32-bit program's.
  EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, software(), kv::RegView::wow64_64));
}

TEST_F(RegistryWin, A64BitProductWritesInThe64BitView) {
  setup::run.settings.Bitness = 1;
  apply(u"HKLM\\" + software() + u",Value,1,x,3\r\n");
  EXPECT_EQ(read_text(HKEY_LOCAL_MACHINE, software(), u"Value", kv::RegView::wow64_64), u"x");
  EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, software()));
  kv::reg_delete_tree(HKEY_LOCAL_MACHINE, software(), kv::RegView::wow64_64);
}

TEST_F(RegistryWin, AllUsersReachesEveryLoadedHive) {
  const std::vector<std::u16string> hives = kv::user_hives();
  ASSERT_GE(hives.size(), 2u) << "the prefix has the default hive and the user's";
  apply(u"\\HKAU\\" + software() + u",Everyone,1,yes,3\r\n\\HKAU\\" + software() + u"\\Sub\r\n");
  EXPECT_EQ(error_report(), u"");
  for (const std::u16string& hive : hives) {
    SCOPED_TRACE(kv::utf16_to_utf8(hive));
    EXPECT_EQ(read_text(HKEY_USERS, hive + u"\\" + software(), u"Everyone"), u"yes");
    EXPECT_TRUE(key_exists(HKEY_USERS, hive + u"\\" + software() + u"\\Sub"));
  }
}

TEST_F(RegistryWin, TheProductKeyInEveryHiveAndTheMachine) {
  setup::run.settings.ProductRegistry = tag_ + u"\\Product";
  apply(u"");
  EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE, software() + u"\\Product"));
  for (const std::u16string& hive : kv::user_hives())
    EXPECT_TRUE(key_exists(HKEY_USERS, hive + u"\\" + software() + u"\\Product")) << kv::utf16_to_utf8(hive);
  EXPECT_EQ(error_report(), u"");
}

TEST_F(RegistryWin, TheUninstallerRemovesTheKeysTheEntriesMadeAndNothingElse) {
  write_text(HKEY_CURRENT_USER, software() + u"\\Existing", u"Owner", u"someone else");
  const std::u16string k = u"HKCU\\" + software();
  apply(k + u"\\Existing\\New\\Deep,Removed,1,x,3\r\n" + k + u"\\Existing,Kept,1,x,1\r\n" + k +
        u"\\Made\\Kept,Kept,1,x,1\r\n\\HKAU\\" + software() + u"\\Everyone\r\n");
  ASSERT_TRUE(key_exists(HKEY_CURRENT_USER, software() + u"\\Existing\\New\\Deep"));
  read_back_uninstall_data();
  uninstall::detail::remove_registry_items();
  EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, software() + u"\\Existing\\New"));
  EXPECT_EQ(read_text(HKEY_CURRENT_USER, software() + u"\\Existing", u"Owner"), u"someone else");
  EXPECT_EQ(read_text(HKEY_CURRENT_USER, software() + u"\\Existing", u"Kept"), u"x");
  // A kept value keeps its keys.
  EXPECT_EQ(read_text(HKEY_CURRENT_USER, software() + u"\\Made\\Kept", u"Kept"), u"x");
  for (const std::u16string& hive : kv::user_hives())
    EXPECT_FALSE(key_exists(HKEY_USERS, hive + u"\\" + software() + u"\\Everyone")) << kv::utf16_to_utf8(hive);
}

TEST_F(RegistryWin, NothingInAPortableInstallationThatSaysSo) {
  engine::run.paths.portable = true;
  setup::run.installation.head.ProductFlags2 = setup::flags2::kPortableNoRegistry;
  setup::run.settings.ProductRegistry = tag_;
  apply(u"HKCU\\" + software() + u",Value,1,x,3\r\n");
  EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, software()));
  EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, software()));
  EXPECT_EQ(uninstall::uninstall_data.registry_items, u"");

  setup::run.installation.head.ProductFlags2 = setup::flags2::kPortableNoAssociations;
  apply(u"HKCU\\" + software() + u",Value,1,x,3\r\n");
  EXPECT_EQ(read_text(HKEY_CURRENT_USER, software(), u"Value"), u"x");
}

// The merge file's temporary copies, scheduled for deletion at restart.
std::vector<std::u16string> pending_merge_files() {
  std::vector<engine::PendingRename> renames;
  engine::read_pending_renames(renames);
  std::vector<std::u16string> files;
  for (const engine::PendingRename& r : renames)
    if (r.is_deletion() && r.source.ends_with(u".reg")) files.push_back(r.source);
  return files;
}

void forget_pending(const std::vector<std::u16string>& files) {
  std::vector<engine::PendingRename> renames;
  engine::read_pending_renames(renames);
  std::erase_if(renames, [&](const engine::PendingRename& r) {
    return std::find(files.begin(), files.end(), r.source) != files.end();
  });
  engine::write_pending_renames(renames);
}

bool wait_for_key(HKEY root, const std::u16string& key, const std::u16string& value) {
  for (int i = 0; i < 600; ++i) {
    if (read_value(root, key, value)) return true;
    Sleep(100);
  }
  return false;
}

TEST_F(RegistryWin, MergeFilesOfBothHeadersAreImported) {
  const std::vector<std::u16string> before = pending_merge_files();
  setup::run.settings.registry_merge_file = u"\uFEFFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" +
                                            software() + u"\\Unicode]\r\n\"Text\"=\"caf\u00e9 \u20ac\"\r\n";
  apply(u"");
  setup::run.settings.registry_merge_file =
      u"REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + software() + u"\\Ansi]\r\n\"Text\"=\"caf\u00e9\"\r\n";
  apply(u"");
  EXPECT_EQ(log_.text, "Merging registry file...OK\r\nMerging registry file...OK\r\n");
  EXPECT_EQ(error_report(), u"");

  ASSERT_TRUE(wait_for_key(HKEY_CURRENT_USER, software() + u"\\Unicode", u"Text"));
  ASSERT_TRUE(wait_for_key(HKEY_CURRENT_USER, software() + u"\\Ansi", u"Text"));
  EXPECT_EQ(read_text(HKEY_CURRENT_USER, software() + u"\\Unicode", u"Text"), u"caf\u00e9 \u20ac");
  EXPECT_EQ(read_text(HKEY_CURRENT_USER, software() + u"\\Ansi", u"Text"), u"caf\u00e9");

  std::vector<std::u16string> scheduled = pending_merge_files();
  std::erase_if(scheduled, [&](const std::u16string& f) { return std::find(before.begin(), before.end(), f) != before.end(); });
  EXPECT_EQ(scheduled.size(), 2u);
  forget_pending(scheduled);
  for (const std::u16string& file : scheduled) DeleteFileW(kv::as_wide(file.substr(file.find(u':') - 1)));
}

// --- File associations.

class AssociationsWin : public RegistryWin {
 protected:
  setup::Association entry(std::uint32_t kind, const std::u16string& extension, const std::u16string& file_type,
                           const std::u16string& verb = u"open") {
    setup::Association a;
    a.kind = kind;
    a.extension = kv::to_marked(extension);
    a.file_type = kv::to_marked(file_type);
    a.description = "Tess document";
    a.verb = kv::to_marked(verb);
    a.verb_caption = "Open with &Tess";
    a.command = "\"%InstallDir%\\pad.exe\" \"%1\"";
    a.icon = "pad.exe,0";
    return a;
  }

  void associate(std::vector<setup::Association> entries) {
    setup::run.settings.associations = std::move(entries);
    integration::register_file_associations();
  }

  void uninstall_associations() {
    read_back_uninstall_data();
    uninstall::detail::restore_file_associations();
  }

  // Another program's extension and file type: an expandable command and
  // icon, and values of their own.
  void make_owner(const std::u16string& extension, const std::u16string& owner) {
    write_text(HKEY_CLASSES_ROOT, extension, u"", owner);
    write_text(HKEY_CLASSES_ROOT, extension, u"Content Type", u"text/x-owner");
    write_text(HKEY_CLASSES_ROOT, extension + u"\\OpenWithProgids", owner, u"");
    write_text(HKEY_CLASSES_ROOT, owner, u"", u"Owner document");
    write_text(HKEY_CLASSES_ROOT, owner + u"\\DefaultIcon", u"", u"%SystemRoot%\\owner.dll,3", REG_EXPAND_SZ);
    write_text(HKEY_CLASSES_ROOT, owner + u"\\shell\\open\\command", u"", u"%SystemRoot%\\owner.exe \"%1\"",
               REG_EXPAND_SZ);
  }

  const std::u16string command_ = u"\"" + kInstallDir + u"\\pad.exe\" \"%1\"";
};

TEST_F(AssociationsWin, AnOwnedExtensionIsOursUntilTheUninstallationGivesItBack) {
  const std::u16string owned = extension_key(u"owned"), fresh = extension_key(u"fresh");
  const std::u16string owner = class_key(u".Owner"), ours = class_key(u".Doc");
  make_owner(owned, owner);
  const Tree before = classes_tree({owned, fresh, owner, ours});

  // The extension is named without its full stop once.
  associate({entry(0, owned, ours), entry(1, fresh.substr(1), ours)});
  EXPECT_EQ(error_report(), u"");
  EXPECT_EQ(read_text(HKEY_CLASSES_ROOT, owned, u""), ours);
  EXPECT_EQ(read_text(HKEY_CLASSES_ROOT, owned, kBackup), owner);
  EXPECT_EQ(read_text(HKEY_CLASSES_ROOT, owned + u"\\OpenWithProgids", ours), u"");
  EXPECT_EQ(read_text(HKEY_CLASSES_ROOT, fresh, u""), ours);
  EXPECT_EQ(read_value(HKEY_CLASSES_ROOT, fresh, kBackup), std::nullopt);
  EXPECT_EQ(read_text(HKEY_CLASSES_ROOT, ours, u""), u"Tess document");
  EXPECT_EQ(read_text(HKEY_CLASSES_ROOT, ours + u"\\DefaultIcon", u""), kInstallDir + u"\\pad.exe,0");
  EXPECT_EQ(read_text(HKEY_CLASSES_ROOT, ours + u"\\shell", u""), u"open");
  EXPECT_EQ(read_text(HKEY_CLASSES_ROOT, ours + u"\\shell\\open", u""), u"Open with &Tess");
  EXPECT_EQ(read_text(HKEY_CLASSES_ROOT, ours + u"\\shell\\open\\command", u""), command_);
  // The second entry found its own re-association: no backup of our texts.
  EXPECT_EQ(read_value(HKEY_CLASSES_ROOT, ours, kBackup), std::nullopt);
  const std::string log = log_.text;
  EXPECT_NE(log.find(kv::utf16_to_utf8(owned + u" Open With " + command_ + u"\r\nAssociated " + owned + u" with " +
                                       command_ + u"\r\n")),
            std::string::npos)
      << log;
  EXPECT_NE(log.find(kv::utf16_to_utf8(u"Associated " + fresh + u" with " + command_ + u"\r\n")), std::string::npos);
  EXPECT_EQ(uninstall::uninstall_data.associations,
            kv::utf16_to_utf8(owned + u"~!~" + ours + u"~!~open~!~" + kInstallDir + u"\\pad.exe,0\r\n" + fresh +
                              u"~!~" + ours + u"~!~open~!~" + kInstallDir + u"\\pad.exe,0\r\n"));

  uninstall_associations();
  EXPECT_EQ(classes_tree({owned, fresh, owner, ours}), before);
  EXPECT_FALSE(key_exists(HKEY_CLASSES_ROOT, fresh));
  EXPECT_FALSE(key_exists(HKEY_CLASSES_ROOT, ours));
}

TEST_F(AssociationsWin, OpenWithOnlyLeavesTheExtensionsOwnType) {
  const std::u16string owned = extension_key(u"owned"), owner = class_key(u".Owner"), ours = class_key(u".Doc");
  make_owner(owned, owner);
  const Tree before = classes_tree({owned, owner, ours});
  associate({entry(2, owned, ours, u"edit")});
  EXPECT_EQ(read_text(HKEY_CLASSES_ROOT, owned, u""), owner);
  EXPECT_EQ(read_value(HKEY_CLASSES_ROOT, owned, kBackup), std::nullopt);
  EXPECT_EQ(read_text(HKEY_CLASSES_ROOT, owned + u"\\OpenWithProgids", ours), u"");
  EXPECT_EQ(read_text(HKEY_CLASSES_ROOT, ours + u"\\shell\\edit\\command", u""), command_);
  // Only the first write happened: no "Associated" line.
  EXPECT_EQ(log_.text.find("Associated"), std::string::npos);
  EXPECT_EQ(error_report(), u"");
  uninstall_associations();
  EXPECT_EQ(classes_tree({owned, owner, ours}), before);
}

TEST_F(AssociationsWin, TheCurrentTypeGainsAVerbAndGetsItsOwnBack) {
  const std::u16string owned = extension_key(u"owned"), owner = class_key(u".Owner"), unused = class_key(u".Unused");
  make_owner(owned, owner);
  const Tree before = classes_tree({owned, owner, unused});
  setup::Association a = entry(1, owned, u"!" + unused);
  associate({a, entry(0, owned, u"", u"print")});
  EXPECT_EQ(error_report(), u"");
  EXPECT_EQ(read_text(HKEY_CLASSES_ROOT, owned, u""), owner);
  EXPECT_FALSE(key_exists(HKEY_CLASSES_ROOT, unused));
  EXPECT_EQ(read_text(HKEY_CLASSES_ROOT, owner, u""), u"Owner document");
  EXPECT_EQ(read_text(HKEY_CLASSES_ROOT, owner + u"\\shell", u""), u"open");
  EXPECT_EQ(read_text(HKEY_CLASSES_ROOT, owner + u"\\shell\\open\\command", u""), command_);
  EXPECT_EQ(read_value(HKEY_CLASSES_ROOT, owner + u"\\shell\\open\\command", kBackup)->type, DWORD(REG_EXPAND_SZ));
  EXPECT_EQ(read_text(HKEY_CLASSES_ROOT, owner + u"\\shell\\print\\command", u""), command_);
  uninstall_associations();
  EXPECT_EQ(classes_tree({owned, owner, unused}), before);
}

TEST_F(AssociationsWin, EntriesThatWriteNothing) {
  const std::u16string untyped = extension_key(u"untyped"), missing = extension_key(u"missing");
  const std::u16string ours = class_key(u".Doc");
  write_text(HKEY_CLASSES_ROOT, untyped, u"Content Type", u"text/plain");
  setup::Association german = entry(0, extension_key(u"german"), ours);
  german.language = u"Deutsch";
  associate({entry(0, untyped, u""), entry(0, missing, u""), german});
  EXPECT_EQ(log_.text, kv::utf16_to_utf8(u"Association failed/no label:  \"" + untyped +
                                         u"\".\r\n\r\nAssociation failed/key inaccessible:  \"" + missing +
                                         u"\".\r\n\r\n"));
  EXPECT_EQ(read_value(HKEY_CLASSES_ROOT, untyped, u""), std::nullopt);
  EXPECT_FALSE(key_exists(HKEY_CLASSES_ROOT, missing));
  EXPECT_FALSE(key_exists(HKEY_CLASSES_ROOT, ours));
  EXPECT_EQ(uninstall::uninstall_data.associations, "");
  EXPECT_EQ(error_report(), u"");

  setup::run.strings.set_current_language(1);
  associate({german});
  EXPECT_TRUE(key_exists(HKEY_CLASSES_ROOT, ours));
}

TEST_F(AssociationsWin, AFileTypeThatCannotBeMadeIsReported) {
  const std::u16string ext = extension_key(u"broken");
  // No key can have a name this long.
  associate({entry(0, ext, std::u16string(300, u'T'))});
  EXPECT_EQ(error_report(), u"Failed to associate file type:  \"" + ext + u"\".\r\n\r\n");
  EXPECT_EQ(log_.text.find("Associated"), std::string::npos);
}

TEST_F(AssociationsWin, NothingInAPortableInstallationThatSaysSo) {
  engine::run.paths.portable = true;
  setup::run.installation.head.ProductFlags2 = setup::flags2::kPortableNoAssociations;
  const std::u16string ext = extension_key(u"portable"), ours = class_key(u".Doc");
  associate({entry(0, ext, ours)});
  EXPECT_FALSE(key_exists(HKEY_CLASSES_ROOT, ext));
  EXPECT_EQ(uninstall::uninstall_data.associations, "");
}

}  // namespace
