#include <gtest/gtest.h>

#include "registry_path.h"
#include "text.h"

namespace {

using kv::RegistryKeyPath;
using kv::RegistryRoot;

TEST(RegistryPaths, EveryRootInItsThreeSpellings) {
  struct Root {
    std::u16string long_name, short_name;
    RegistryRoot root;
  } roots[] = {
      {u"HKEY_LOCAL_MACHINE", u"HKLM", RegistryRoot::local_machine},
      {u"HKEY_CURRENT_USER", u"HKCU", RegistryRoot::current_user},
      {u"HKEY_CLASSES_ROOT", u"HKCR", RegistryRoot::classes_root},
      {u"HKEY_USERS", u"HKU", RegistryRoot::users},
      {u"HKEY_CURRENT_CONFIG", u"HKCC", RegistryRoot::current_config},
      {u"HKEY_DYN_DATA", u"HKDD", RegistryRoot::dyn_data},
  };
  for (const Root& r : roots) {
    const RegistryKeyPath expected{r.root, u"Software\\App"};
    std::u16string lower = r.short_name;
    for (char16_t& c : lower) c = kv::ascii_lower(c);
    for (const std::u16string& spelling : {r.long_name + u"\\", r.short_name + u"\\", u"\\" + r.short_name + u"\\",
                                           u"\\" + r.long_name + u"\\", lower + u"\\"}) {
      SCOPED_TRACE(kv::utf16_to_utf8(spelling));
      EXPECT_EQ(kv::parse_registry_key_path(spelling + u"Software\\App"), expected);
      EXPECT_EQ(kv::parse_registry_key_path(spelling + u"Software\\App\\"), expected);
    }
  }
}

TEST(RegistryPaths, AllUsersUnknownRootsAndValues) {
  EXPECT_EQ(kv::parse_registry_key_path(u"\\HKAU\\Software\\App"),
            (RegistryKeyPath{RegistryRoot::all_users, u"Software\\App"}));
  // All users exists only in the wrapped form.
  EXPECT_FALSE(kv::parse_registry_key_path(u"HKAU\\Software\\App"));
  EXPECT_FALSE(kv::parse_registry_key_path(u"HKXX\\Software"));
  EXPECT_FALSE(kv::parse_registry_key_path(u"\\HKLM"));
  EXPECT_FALSE(kv::parse_registry_key_path(u""));
  EXPECT_EQ(kv::parse_registry_key_path(u"HKU"), (RegistryKeyPath{RegistryRoot::users, u""}));

  auto value = kv::parse_registry_value_path(u"\\HKCU\\Software\\App\\InstallPath");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->key, (RegistryKeyPath{RegistryRoot::current_user, u"Software\\App"}));
  EXPECT_EQ(value->value_name, u"InstallPath");
  // The trailing backslash names the key's default value.
  EXPECT_EQ(kv::parse_registry_value_path(u"HKLM\\Software\\App\\")->value_name, u"");
  EXPECT_FALSE(kv::parse_registry_value_path(u"HKCU\\Name"));  // a value needs a key
  EXPECT_FALSE(kv::parse_registry_value_path(u"HKXX\\Software\\App\\Path"));
}

}  // namespace
