// Undoing file associations over an in-memory key tree: what the
// installation made goes, what it overwrote comes back from the backups.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "association_restore.h"
#include "text.h"

namespace {

using uninstall::AssociationRecord;

std::u16string lower(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = kv::ascii_lower(c);
  return out;
}

// Keys by lower-cased path; each with its values by name ("" the default).
class FakeClasses final : public uninstall::ClassesRoot {
 public:
  using Values = std::map<std::u16string, std::u16string>;
  std::map<std::u16string, Values> keys;

  bool key_exists(const std::u16string& key) override { return keys.contains(lower(key)); }
  std::optional<std::u16string> read_value(const std::u16string& key, const std::u16string& name) override {
    auto k = keys.find(lower(key));
    if (k == keys.end()) return std::nullopt;
    auto v = k->second.find(name);
    if (v == k->second.end()) return std::nullopt;
    return v->second;
  }
  bool move_value(const std::u16string& key, const std::u16string& from, const std::u16string& to) override {
    std::optional<std::u16string> text = read_value(key, from);
    if (!text) return false;
    keys[lower(key)].erase(from);
    keys[lower(key)][to] = *text;
    return true;
  }
  std::vector<std::u16string> value_names(const std::u16string& key) override {
    std::vector<std::u16string> names;
    if (key_exists(key))
      for (const auto& [name, text] : keys[lower(key)]) names.push_back(name);
    return names;
  }
  void delete_value(const std::u16string& key, const std::u16string& name) override {
    if (key_exists(key)) keys[lower(key)].erase(name);
  }
  bool has_subkeys(const std::u16string& key) override {
    std::u16string prefix = lower(key) + u"\\";
    auto next = keys.lower_bound(prefix);
    return next != keys.end() && next->first.starts_with(prefix);
  }
  bool is_empty(const std::u16string& key) override {
    return key_exists(key) && keys[lower(key)].empty() && !has_subkeys(key);
  }
  void delete_tree(const std::u16string& key) override {
    std::u16string prefix = lower(key) + u"\\";
    std::erase_if(keys, [&](const auto& k) { return k.first == lower(key) || k.first.starts_with(prefix); });
  }

  // A key with its values; its parents exist as they do in a registry.
  void add(const std::u16string& key, const Values& values) {
    for (std::size_t cut = key.find(u'\\'); cut != std::u16string::npos; cut = key.find(u'\\', cut + 1))
      keys[lower(key.substr(0, cut))];
    keys[lower(key)] = values;
  }

  // "key|name=text" for every value, "key" for a key without values.
  std::vector<std::string> dump() const {
    std::vector<std::string> lines;
    for (const auto& [key, values] : keys) {
      std::string k = kv::utf16_to_utf8(key);
      if (values.empty()) lines.push_back(k);
      for (const auto& [name, text] : values)
        lines.push_back(k + "|" + kv::utf16_to_utf8(name) + "=" + kv::utf16_to_utf8(text));
    }
    return lines;
  }
};

const std::u16string kBackup = u"Tess Pad Backup";

struct Case {
  const char* name;
  AssociationRecord record;
  std::map<std::u16string, FakeClasses::Values> before;
  std::vector<std::string> after;
};

TEST(AssociationRestore, BackupsComeBackAndWhatTheInstallationMadeGoes) {
  const Case cases[] = {
      {"a new extension and file type disappear whole",
       {".tpad", "Tess.Pad", "open", "C:\\App\\pad.ico"},
       {{u".tpad", {{u"", u"Tess.Pad"}}},
        {u".tpad\\openwithprogids", {{u"Tess.Pad", u""}}},
        {u"tess.pad", {{u"", u"Tess document"}}},
        {u"tess.pad\\defaulticon", {{u"", u"C:\\App\\pad.ico"}}},
        {u"tess.pad\\shell", {}},
        {u"tess.pad\\shell\\open", {{u"", u"&Open"}}},
        {u"tess.pad\\shell\\open\\command", {{u"", u"pad.exe \"%1\""}}}},
       {}},
      {"an extension with a backup regains its type and survives",
       {"txt", "Tess.Pad", "edit", ""},
       {{u".txt", {{u"", u"Tess.Pad"}, {kBackup, u"txtfile"}}},
        {u".txt\\shellnew", {}},
        {u"tess.pad", {{u"", u"Tess document"}}},
        {u"tess.pad\\shell\\edit\\command", {{u"", u"pad.exe \"%1\""}}}},
       {".txt|=txtfile", ".txt\\shellnew"}},
      {"an extension only joined through Open With stays",
       {".log", "Tess.Pad", "open", ""},
       {{u".log", {{u"", u"logfile"}}},
        {u".log\\openwithprogids", {{u"Tess.Pad", u""}, {u"Other.App", u""}}},
        {u"tess.pad\\shell\\open\\command", {{u"", u"pad.exe"}}}},
       {".log|=logfile", ".log\\openwithprogids|Other.App="}},
      {"an existing file type gets its command, icon and verb back",
       {".txt", "txtfile", "open", "icon"},
       {{u".txt", {{u"", u"txtfile"}}},
        {u"txtfile", {{u"", u"Text"}}},
        {u"txtfile\\defaulticon", {{u"", u"pad.ico"}, {kBackup, u"notepad.ico"}}},
        {u"txtfile\\shell", {{u"", u"open"}, {kBackup, u"print"}}},
        {u"txtfile\\shell\\open\\command", {{u"", u"pad.exe"}, {kBackup, u"notepad.exe"}}},
        {u"txtfile\\shell\\print\\command", {{u"", u"notepad /p"}}}},
       {".txt|=txtfile", "txtfile|=Text", "txtfile\\defaulticon|=notepad.ico", "txtfile\\shell|=print",
        "txtfile\\shell\\open", "txtfile\\shell\\open\\command|=notepad.exe", "txtfile\\shell\\print",
        "txtfile\\shell\\print\\command|=notepad /p"}},
      {"a file type that still has other verbs stays with them",
       {".tpad", "Tess.Pad", "print", ""},
       {{u".tpad", {{u"", u"Tess.Pad"}}},
        {u"tess.pad\\shell\\open\\command", {{u"", u"other.exe"}}},
        {u"tess.pad\\shell\\print", {{u"", u"&Print"}}},
        {u"tess.pad\\shell\\print\\command", {{u"", u"pad.exe /p"}}}},
       {".tpad|=Tess.Pad", "tess.pad", "tess.pad\\shell", "tess.pad\\shell\\open",
        "tess.pad\\shell\\open\\command|=other.exe"}},
      {"a missing file type leaves the extension alone",
       {".tpad", "Tess.Gone", "open", ""},
       {{u".tpad", {{u"", u"Tess.Gone"}}}},
       {".tpad|=Tess.Gone"}},
      {"another verb's place as the default stays",
       {".txt", "txtfile", "tessedit", ""},
       {{u".txt", {{u"", u"txtfile"}}},
        {u"txtfile\\shell", {{u"", u"print"}}},
        {u"txtfile\\shell\\print\\command", {{u"", u"notepad /p"}}},
        {u"txtfile\\shell\\tessedit", {{u"", u"Edit with Tess"}}},
        {u"txtfile\\shell\\tessedit\\command", {{u"", u"pad.exe"}}}},
       {".txt|=txtfile", "txtfile", "txtfile\\shell|=print", "txtfile\\shell\\print",
        "txtfile\\shell\\print\\command|=notepad /p"}},
      {"a verb that was there before gets its caption back",
       {".txt", "txtfile", "open", ""},
       {{u".txt", {{u"", u"txtfile"}}},
        {u"txtfile\\shell\\open", {{u"", u"Open with Tess"}, {kBackup, u"Open"}}},
        {u"txtfile\\shell\\open\\command", {{u"", u"pad.exe"}, {kBackup, u"notepad.exe"}}}},
       {".txt|=txtfile", "txtfile", "txtfile\\shell", "txtfile\\shell\\open|=Open",
        "txtfile\\shell\\open\\command|=notepad.exe"}},
      {"a verb without a caption before loses the one it was given",
       {".txt", "txtfile", "open", ""},
       {{u".txt", {{u"", u"txtfile"}}},
        {u"txtfile\\shell\\open", {{u"", u"Open with Tess"}}},
        {u"txtfile\\shell\\open\\command", {{u"", u"pad.exe"}, {kBackup, u"notepad.exe"}}}},
       {".txt|=txtfile", "txtfile", "txtfile\\shell", "txtfile\\shell\\open",
        "txtfile\\shell\\open\\command|=notepad.exe"}},
      {"a file type with values of its own is no new one",
       {".tpad", "Other.Type", "open", ""},
       {{u".tpad", {{u"", u"Other.Type"}}},
        {u"other.type", {{u"", u"Other document"}, {u"EditFlags", u"0"}}},
        {u"other.type\\shell\\open\\command", {{u"", u"pad.exe"}}}},
       {".tpad|=Other.Type", "other.type|=Other document", "other.type|EditFlags=0"}},
      {"an extension without a backup keeps what others put in it",
       {".tpad", "Tess.Pad", "open", ""},
       {{u".tpad", {{u"", u"Tess.Pad"}, {u"Content Type", u"text/plain"}}},
        {u".tpad\\openwithprogids", {{u"Tess.Pad", u""}, {u"Other.App", u""}}},
        {u"tess.pad", {{u"", u"Tess document"}}},
        {u"tess.pad\\shell\\open\\command", {{u"", u"pad.exe"}}}},
       {".tpad|Content Type=text/plain", ".tpad\\openwithprogids|Other.App="}},
      {"an Open With entry of another verb goes with its type",
       {".log", "Tess.Pad", "edit", ""},
       {{u".log", {{u"", u"logfile"}}},
        {u".log\\openwithprogids", {{u"Tess.Pad", u""}}},
        {u"tess.pad", {{u"", u"Tess document"}}},
        {u"tess.pad\\shell\\edit\\command", {{u"", u"pad.exe"}}}},
       {".log|=logfile"}},
      {"the extension's own type stays in its Open With list",
       {".txt", "txtfile", "open", ""},
       {{u".txt", {{u"", u"txtfile"}}},
        {u".txt\\openwithprogids", {{u"txtfile", u""}}},
        {u"txtfile\\shell\\print\\command", {{u"", u"notepad /p"}}},
        {u"txtfile\\shell\\open\\command", {{u"", u"pad.exe"}}}},
       {".txt|=txtfile", ".txt\\openwithprogids|txtfile=", "txtfile", "txtfile\\shell", "txtfile\\shell\\print",
        "txtfile\\shell\\print\\command|=notepad /p"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeClasses classes;
    for (const auto& [key, values] : c.before) classes.add(key, values);
    uninstall::restore_associations({c.record}, kBackup, classes);
    EXPECT_EQ(classes.dump(), c.after);
  }
}

TEST(AssociationRestore, AFileTypeOfTwoExtensionsGoesWithBoth) {
  FakeClasses classes;
  classes.add(u".tpad", {{u"", u"Tess.Pad"}});
  classes.add(u".tpd", {{u"", u"Tess.Pad"}});
  classes.add(u".txt", {{u"", u"Tess.Pad"}, {kBackup, u"txtfile"}});
  classes.add(u"tess.pad", {{u"", u"Tess document"}});
  classes.add(u"tess.pad\\shell\\open\\command", {{u"", u"pad.exe"}});
  uninstall::restore_associations({{".tpad", "Tess.Pad", "open", ""}, {".tpd", "Tess.Pad", "open", ""},
                                   {".txt", "Tess.Pad", "open", ""}},
                                  kBackup, classes);
  EXPECT_EQ(classes.dump(), std::vector<std::string>{".txt|=txtfile"});
}

TEST(AssociationRestore, ValuesTwoEntriesSharedComeBackOnce) {
  FakeClasses classes;
  classes.add(u".txt", {{u"", u"txtfile"}});
  classes.add(u".text", {{u"", u"txtfile"}});
  classes.add(u"txtfile\\defaulticon", {{u"", u"pad.ico"}, {kBackup, u"notepad.ico"}});
  classes.add(u"txtfile\\shell\\open", {{u"", u"Open with Tess"}, {kBackup, u"Open"}});
  classes.add(u"txtfile\\shell\\open\\command", {{u"", u"pad.exe"}, {kBackup, u"notepad.exe"}});
  uninstall::restore_associations({{".txt", "txtfile", "open", "icon"}, {".text", "txtfile", "open", "icon"}},
                                  kBackup, classes);
  EXPECT_EQ(classes.dump(), (std::vector<std::string>{".text|=txtfile", ".txt|=txtfile", "txtfile",
                                                      "txtfile\\defaulticon|=notepad.ico", "txtfile\\shell",
                                                      "txtfile\\shell\\open|=Open",
                                                      "txtfile\\shell\\open\\command|=notepad.exe"}));
}

TEST(AssociationRestore, BackupNameLosesSeparatorsAndLineBreaks) {
  EXPECT_EQ(uninstall::backup_value_name(u"Tess\\Pad\r\n\t2"), u"TessPad2 Backup");
}

}  // namespace
