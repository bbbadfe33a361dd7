#include "registry_path.h"

#include "text.h"

namespace kv {
namespace {

struct RootName {
  std::u16string_view long_name;
  std::u16string_view short_name;
  RegistryRoot root;
};

constexpr RootName kRoots[] = {
    {u"HKEY_LOCAL_MACHINE", u"HKLM", RegistryRoot::local_machine},
    {u"HKEY_CURRENT_USER", u"HKCU", RegistryRoot::current_user},
    {u"HKEY_CLASSES_ROOT", u"HKCR", RegistryRoot::classes_root},
    {u"HKEY_USERS", u"HKU", RegistryRoot::users},
    {u"HKEY_CURRENT_CONFIG", u"HKCC", RegistryRoot::current_config},
    {u"HKEY_DYN_DATA", u"HKDD", RegistryRoot::dyn_data},
};
constexpr std::u16string_view kAllUsers = u"HKAU";

std::u16string trimmed_key(std::u16string_view key) {
  while (key.starts_with(u'\\')) key.remove_prefix(1);
  while (key.ends_with(u'\\')) key.remove_suffix(1);
  return std::u16string(key);
}

}  // namespace

std::u16string_view registry_root_name(RegistryRoot root) {
  if (root == RegistryRoot::all_users) root = RegistryRoot::users;
  for (const RootName& name : kRoots)
    if (name.root == root) return name.long_name;
  return kRoots[0].long_name;
}

std::optional<RegistryKeyPath> parse_registry_key_path(std::u16string_view path) {
  const bool wrapped = path.starts_with(u'\\');
  std::u16string_view rest = wrapped ? path.substr(1) : path;
  const std::size_t cut = rest.find(u'\\');
  // The wrapped form ends its root with a backslash too.
  if (wrapped && cut == std::u16string_view::npos) return std::nullopt;
  const std::u16string_view root = rest.substr(0, cut);
  const std::u16string_view key = cut == std::u16string_view::npos ? std::u16string_view() : rest.substr(cut + 1);
  if (wrapped && iequals(root, kAllUsers)) return RegistryKeyPath{RegistryRoot::all_users, trimmed_key(key)};
  for (const RootName& name : kRoots)
    if (iequals(root, name.long_name) || iequals(root, name.short_name))
      return RegistryKeyPath{name.root, trimmed_key(key)};
  return std::nullopt;
}

std::optional<RegistryValuePath> parse_registry_value_path(std::u16string_view path) {
  const std::size_t cut = path.find_last_of(u'\\');
  if (cut == std::u16string_view::npos) return std::nullopt;
  std::optional<RegistryKeyPath> key = parse_registry_key_path(path.substr(0, cut));
  if (!key || key->key.empty()) return std::nullopt;
  return RegistryValuePath{std::move(*key), std::u16string(path.substr(cut + 1))};
}

}  // namespace kv
