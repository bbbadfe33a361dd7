// The registry entry list: what a record asks for, the data each type
// writes, and the merge file as the registry editor is given it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry_entry_list.h"
#include "registry_merge_file.h"
#include "text.h"

namespace {

using namespace integration;
using Bytes = std::vector<std::uint8_t>;

std::u16string fake_expand(std::u16string text) { return kv::replace_all(text, u"%InstallDir%", u"C:\\App"); }

Bytes utf16_bytes(std::u16string_view text) {
  Bytes bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

TEST(RegistryEntries, DataOfEachType) {
  struct Case {
    std::uint32_t type;
    std::u16string text;
    std::optional<Bytes> bytes;
  };
  const Case cases[] = {
      {1, u"%InstallDir%\\data", utf16_bytes(u"C:\\App\\data")},
      {2, u"%InstallDir%\\data", utf16_bytes(u"%InstallDir%\\data")},
      {1, u"", Bytes{0, 0}},
      {1, u"\u00e9", Bytes{0xe9, 0, 0, 0}},
      {3, u"01 ff\t3A", Bytes{0x01, 0xff, 0x3a}},
      {3, u"", Bytes{}},
      {3, u"0 1", Bytes{0x01}},  // blanks even inside a pair
      {3, u"abc", std::nullopt},  // half a byte
      {3, u"0g", std::nullopt},
      {3, u"01,02", std::nullopt},
      {4, u"305419896", Bytes{0x78, 0x56, 0x34, 0x12}},
      {4, u"-1", Bytes{0xff, 0xff, 0xff, 0xff}},
      {4, u"4294967295", Bytes{0xff, 0xff, 0xff, 0xff}},
      {4, u"-2147483648", Bytes{0x00, 0x00, 0x00, 0x80}},
      {4, u"99999999999", Bytes{0xff, 0xff, 0xff, 0xff}},
      {4, u" 12abc", Bytes{12, 0, 0, 0}},
      {4, u"", Bytes{0, 0, 0, 0}},
      {11, u"81985529216486895", Bytes{0xef, 0xcd, 0xab, 0x89, 0x67, 0x45, 0x23, 0x01}},
      {11, u"-2", Bytes{0xfe, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}},
      {11, u"99999999999999999999", Bytes{0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x7f}},
      {7, u"a\0b", Bytes{}},  // other types hold no data
      {0, u"text", Bytes{}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " " << kv::utf16_to_utf8(c.text));
    std::optional<RegistryData> data = registry_data(c.type, c.text, fake_expand);
    ASSERT_EQ(data.has_value(), c.bytes.has_value());
    if (!data) continue;
    EXPECT_EQ(data->type, c.type);
    EXPECT_EQ(data->bytes, *c.bytes);
  }
}

TEST(RegistryEntries, ActionTable) {
  const std::pair<std::int64_t, RegistryAction> cases[] = {
      {1, RegistryAction::write},         {3, RegistryAction::write},
      {6, RegistryAction::write_if_missing}, {4, RegistryAction::remove},
      {5, RegistryAction::remove},        {2, RegistryAction::nothing},  // the uninstaller's
      {0, RegistryAction::nothing},       {7, RegistryAction::nothing},
      {-1, RegistryAction::nothing},
  };
  for (auto [action, expected] : cases) EXPECT_EQ(registry_action(action), expected) << action;
}

TEST(RegistryEntries, RecordsByTheirFieldCount) {
  struct Case {
    std::u16string line;
    RegistryRecord::Kind kind;
    std::u16string key;
    std::u16string name;
    std::uint32_t type;
    std::u16string data;
    std::int64_t action;
  };
  const Case cases[] = {
      {u"  HKLM\\Software\\A  ", RegistryRecord::key, u"HKLM\\Software\\A", u"", 0, u"", 0},
      {u"", RegistryRecord::blank, u"", u"", 0, u"", 0},
      {u" \t", RegistryRecord::blank, u"", u"", 0, u"", 0},
      {u"\"\"", RegistryRecord::blank, u"", u"", 0, u"", 0},
      {u"HKCU\\A,Name,1,text,3", RegistryRecord::value, u"HKCU\\A", u"Name", 1, u"text", 3},
      {u"\"\\HKAU\\Software\\A\",,2,\"a, \"\"b\"\"\", 6 ", RegistryRecord::value, u"\\HKAU\\Software\\A", u"", 2,
       u"a, \"b\"", 6},
      {u"HKCU\\A,Name", RegistryRecord::illegal, u"", u"", 0, u"", 0},
      {u"HKCU\\A,Name,1,text", RegistryRecord::illegal, u"", u"", 0, u"", 0},
      {u"HKCU\\A,Name,1,text,3,extra", RegistryRecord::illegal, u"", u"", 0, u"", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(kv::utf16_to_utf8(c.line));
    RegistryRecord r = read_registry_record(c.line);
    EXPECT_EQ(r.kind, c.kind);
    if (c.kind == RegistryRecord::illegal || c.kind == RegistryRecord::blank) continue;
    EXPECT_EQ(r.key_path, c.key);
    EXPECT_EQ(r.value_name, c.name);
    EXPECT_EQ(r.type, c.type);
    EXPECT_EQ(r.data, c.data);
    EXPECT_EQ(r.action, c.action);
  }
}

TEST(RegistryEntries, ListLinesKeepTheirOrderAndEmptyLines) {
  EXPECT_EQ(registry_list_lines(u"a\r\nb\n\rc\rd\n"), (std::vector<std::u16string_view>{u"a", u"b", u"c", u"d"}));
  EXPECT_EQ(registry_list_lines(u"a\r\rb"), (std::vector<std::u16string_view>{u"a", u"", u"b"}));
  EXPECT_TRUE(registry_list_lines(u"").empty());
}

TEST(RegistryEntries, FailureTexts) {
  EXPECT_EQ(illegal_registry_entry_text(u"HKCU\\A,B"), u"Illegal registry entry: HKCU\\A,B\r\n");
  EXPECT_EQ(key_not_created_text(u"HKLM\\X"), u"Failed to create registry key: HKLM\\X\r\n");
  EXPECT_EQ(value_not_created_text(u"Name", u"Access is denied."),
            u"Failed to create registry value \"Name\": Access is denied.\r\n");
  EXPECT_EQ(product_key_failed_text(u"Company\\Product", 5, u"Access is denied."),
            u"Error creating registry keys at \\Software\\Company\\Product\r\nCode 5: Access is denied.\r\n\r\n");
}

TEST(RegistryEntries, CreatedKeysAreRecordsTheUninstallerReadsAsKeys) {
  EXPECT_EQ(created_key_record(kv::RegistryRoot::local_machine, u"Software\\A, B"),
            u"\"HKEY_LOCAL_MACHINE\\Software\\A, B\"\r\n");
  EXPECT_EQ(created_key_record(kv::RegistryRoot::users, u"S-1-5-21\\Software\\A"),
            u"HKEY_USERS\\S-1-5-21\\Software\\A\r\n");
  EXPECT_EQ(created_key_record(kv::RegistryRoot::current_user, u"Software\\A "), u"");
}

TEST(RegistryMergeFile, EncodingFollowsTheHeader) {
  EXPECT_EQ(merge_file_bytes(u"REGEDIT4\r\n\u00e9"), std::string("REGEDIT4\r\n\xe9"));
  EXPECT_EQ(merge_file_bytes(u"\uFEFFREGEDIT4"), std::string("REGEDIT4"));
  EXPECT_EQ(merge_file_bytes(u"Windows\u20ac"), std::string("\xFF\xFEW\0i\0n\0d\0o\0w\0s\0\xAC\x20", 18));
  EXPECT_EQ(merge_file_bytes(u"\uFEFFW"), std::string("\xFF\xFEW\0", 4));
  EXPECT_EQ(merge_command_line(u"C:\\Windows\\regedit.exe", u"C:\\Temp\\tsr1.reg"),
            u"\"C:\\Windows\\regedit.exe\" /s \"C:\\Temp\\tsr1.reg\"");
}

}  // namespace
