#pragma once
// Registry key paths as authors write them: a root in one of its three
// spellings, long ("HKEY_LOCAL_MACHINE\"), short ("HKLM\") or wrapped
// ("\HKLM\"), any letter case, then the key below it. The pseudo-root
// "\HKAU\" (all users) stands for the same key in the hive of every user.
// The builder, the runtime and the uninstaller read them with these.
#include <optional>
#include <string>
#include <string_view>

namespace kv {

enum class RegistryRoot { local_machine, current_user, classes_root, users, current_config, dyn_data, all_users };

struct RegistryKeyPath {
  RegistryRoot root = RegistryRoot::local_machine;
  std::u16string key;  // without separators at either end; may be empty
  bool operator==(const RegistryKeyPath&) const = default;
};

// The root's long form ("HKEY_LOCAL_MACHINE"); HKEY_USERS for all users.
std::u16string_view registry_root_name(RegistryRoot root);

// Nothing for a path whose first component is no root.
std::optional<RegistryKeyPath> parse_registry_key_path(std::u16string_view path);

// A path whose last component is a value name: the key and the name. Nothing
// when no key lies between the root and the name.
struct RegistryValuePath {
  RegistryKeyPath key;
  std::u16string value_name;
  bool operator==(const RegistryValuePath&) const = default;
};
std::optional<RegistryValuePath> parse_registry_value_path(std::u16string_view path);

}  // namespace kv
