#include "registry.h"

namespace kv {

REGSAM view_flag(RegView view) { return view == RegView::wow64_64 ? KEY_WOW64_64KEY : 0; }

HKEY root_key(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::local_machine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::current_user: return HKEY_CURRENT_USER;
    case RegistryRoot::classes_root: return HKEY_CLASSES_ROOT;
    case RegistryRoot::users:
    case RegistryRoot::all_users: return HKEY_USERS;
    case RegistryRoot::current_config: return HKEY_CURRENT_CONFIG;
    case RegistryRoot::dyn_data: return HKEY_DYN_DATA;
  }
  return HKEY_LOCAL_MACHINE;
}

std::vector<std::u16string> user_hives() {
  std::vector<std::u16string> hives;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    LONG rc = RegEnumKeyExW(HKEY_USERS, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) break;
    hives.push_back(from_wide(name, length));
  }
  return hives;
}

std::vector<HiveKey> keys_in_each_hive(const RegistryKeyPath& path) {
  if (path.root != RegistryRoot::all_users) return {{root_key(path.root), path.key}};
  std::vector<HiveKey> keys;
  for (const std::u16string& hive : user_hives())
    keys.push_back({HKEY_USERS, path.key.empty() ? hive : hive + u"\\" + path.key});
  return keys;
}

UniqueRegKey reg_open(HKEY root, const std::u16string& path, REGSAM access, RegView view, LONG* error) {
  UniqueRegKey key;
  LONG rc = RegOpenKeyExW(root, as_wide(path), 0, access | view_flag(view), key.put());
  if (error) *error = rc;
  if (rc != ERROR_SUCCESS) key.release();
  return key;
}

UniqueRegKey reg_create(HKEY root, const std::u16string& path, REGSAM access, RegView view, LONG* error) {
  UniqueRegKey key;
  LONG rc = RegCreateKeyExW(root, as_wide(path), 0, nullptr, REG_OPTION_NON_VOLATILE, access | view_flag(view),
                            nullptr, key.put(), nullptr);
  if (error) *error = rc;
  if (rc != ERROR_SUCCESS) key.release();
  return key;
}

std::optional<std::vector<std::uint8_t>> reg_read_binary(HKEY key, const std::u16string& name, DWORD* type) {
  DWORD size = 0, t = 0;
  if (RegQueryValueExW(key, as_wide(name), nullptr, &t, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  std::vector<std::uint8_t> data(size);
  for (int attempt = 0; attempt < 3; ++attempt) {
    size = static_cast<DWORD>(data.size());
    LONG rc = RegQueryValueExW(key, as_wide(name), nullptr, &t, data.data(), &size);
    if (rc == ERROR_MORE_DATA) {
      data.resize(size);
      continue;
    }
    if (rc != ERROR_SUCCESS) return std::nullopt;
    data.resize(size);
    if (type) *type = t;
    return data;
  }
  return std::nullopt;
}

std::optional<std::u16string> reg_read_string(HKEY key, const std::u16string& name) {
  DWORD type = 0;
  auto data = reg_read_binary(key, name, &type);
  if (!data || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
  std::u16string text(reinterpret_cast<const char16_t*>(data->data()), data->size() / 2);
  while (!text.empty() && text.back() == 0) text.pop_back();
  return text;
}

std::optional<std::uint32_t> reg_read_dword(HKEY key, const std::u16string& name) {
  DWORD type = 0;
  auto data = reg_read_binary(key, name, &type);
  if (!data || type != REG_DWORD || data->size() < 4) return std::nullopt;
  return std::uint32_t((*data)[0]) | (std::uint32_t((*data)[1]) << 8) | (std::uint32_t((*data)[2]) << 16) |
         (std::uint32_t((*data)[3]) << 24);
}

std::optional<std::vector<std::u16string>> reg_read_multi_string(HKEY key, const std::u16string& name) {
  DWORD type = 0;
  auto data = reg_read_binary(key, name, &type);
  if (!data || type != REG_MULTI_SZ) return std::nullopt;
  std::u16string all(reinterpret_cast<const char16_t*>(data->data()), data->size() / 2);
  // The list ends with an empty string (two zeros); drop that terminator.
  while (all.size() >= 2 && all[all.size() - 1] == 0 && all[all.size() - 2] == 0) all.pop_back();
  if (!all.empty() && all.back() == 0) all.pop_back();
  std::vector<std::u16string> out;
  if (all.empty()) return out;
  std::size_t start = 0;
  for (;;) {
    std::size_t zero = all.find(u'\0', start);
    out.push_back(all.substr(start, zero == std::u16string::npos ? std::u16string::npos : zero - start));
    if (zero == std::u16string::npos) break;
    start = zero + 1;
  }
  return out;
}

LONG reg_write_string(HKEY key, const std::u16string& name, const std::u16string& value, DWORD type) {
  return RegSetValueExW(key, as_wide(name), 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * 2));
}

LONG reg_write_dword(HKEY key, const std::u16string& name, std::uint32_t value) {
  DWORD v = value;
  return RegSetValueExW(key, as_wide(name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

LONG reg_write_multi_string(HKEY key, const std::u16string& name, const std::vector<std::u16string>& values) {
  std::u16string all;
  for (const auto& v : values) {
    all += v;
    all += u'\0';
  }
  all += u'\0';
  return RegSetValueExW(key, as_wide(name), 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(all.data()),
                        static_cast<DWORD>(all.size() * 2));
}

LONG reg_write_binary(HKEY key, const std::u16string& name, const void* data, DWORD size, DWORD type) {
  return RegSetValueExW(key, as_wide(name), 0, type, static_cast<const BYTE*>(data), size);
}

LONG reg_delete_value(HKEY key, const std::u16string& name) { return RegDeleteValueW(key, as_wide(name)); }

namespace {
LONG delete_subtree(HKEY parent, const std::u16string& path, REGSAM view) {
  HKEY raw = nullptr;
  LONG rc = RegOpenKeyExW(parent, as_wide(path), 0, KEY_READ | KEY_WRITE | view, &raw);
  if (rc != ERROR_SUCCESS) return rc;
  UniqueRegKey key(raw);
  for (;;) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (delete_subtree(key.get(), from_wide(name, length), view) != ERROR_SUCCESS) break;
  }
  key.reset();
  // RegDeleteKeyExW (Vista and later) honours the view; plain RegDeleteKeyW
  // would always pick the process's own.
  using DeleteKeyEx = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
  static auto delete_key_ex = reinterpret_cast<DeleteKeyEx>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"advapi32.dll"), "RegDeleteKeyExW")));
  if (delete_key_ex) return delete_key_ex(parent, as_wide(path), view, 0);
  return RegDeleteKeyW(parent, as_wide(path));
}
}  // namespace

LONG reg_delete_tree(HKEY root, const std::u16string& path, RegView view) {
  return delete_subtree(root, path, view_flag(view));
}

bool reg_key_is_empty(HKEY key) {
  DWORD subkeys = 0, values = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  return subkeys == 0 && values == 0;
}

}  // namespace kv
