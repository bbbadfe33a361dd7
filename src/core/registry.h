#pragma once
// Registry access of the core library: keys opened in an explicit view (the
// runtime is a 32-bit process; most of its keys live in the 64-bit view) and
// typed reads and writes that report failure by return value.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "registry_path.h"
#include "win_handles.h"

namespace kv {

enum class RegView { native32, wow64_64 };  // wow64_64: KEY_WOW64_64KEY

// Opens an existing key; empty on failure (last error in `error` if given).
UniqueRegKey reg_open(HKEY root, const std::u16string& path, REGSAM access, RegView view = RegView::wow64_64,
                      LONG* error = nullptr);
// Opens or creates a key.
UniqueRegKey reg_create(HKEY root, const std::u16string& path, REGSAM access = KEY_READ | KEY_WRITE,
                        RegView view = RegView::wow64_64, LONG* error = nullptr);

std::optional<std::u16string> reg_read_string(HKEY key, const std::u16string& name);
std::optional<std::uint32_t> reg_read_dword(HKEY key, const std::u16string& name);
// REG_MULTI_SZ: the strings in order (empty strings inside the list are kept).
std::optional<std::vector<std::u16string>> reg_read_multi_string(HKEY key, const std::u16string& name);
std::optional<std::vector<std::uint8_t>> reg_read_binary(HKEY key, const std::u16string& name, DWORD* type = nullptr);

LONG reg_write_string(HKEY key, const std::u16string& name, const std::u16string& value, DWORD type = REG_SZ);
LONG reg_write_dword(HKEY key, const std::u16string& name, std::uint32_t value);
LONG reg_write_multi_string(HKEY key, const std::u16string& name, const std::vector<std::u16string>& values);
LONG reg_write_binary(HKEY key, const std::u16string& name, const void* data, DWORD size, DWORD type = REG_BINARY);
LONG reg_delete_value(HKEY key, const std::u16string& name);
// Deletes a key with all its subkeys.
LONG reg_delete_tree(HKEY root, const std::u16string& path, RegView view = RegView::wow64_64);
bool reg_key_is_empty(HKEY key);  // no values and no subkeys

REGSAM view_flag(RegView view);

// The system's key of a root; HKEY_USERS for the all-users pseudo-root.
HKEY root_key(RegistryRoot root);

// The names of the hives loaded under HKEY_USERS, one per user profile.
std::vector<std::u16string> user_hives();

// The keys a path names: one, or for "\HKAU\" the same key in the hive of
// every user, one after another.
struct HiveKey {
  HKEY root;
  std::u16string key;
};
std::vector<HiveKey> keys_in_each_hive(const RegistryKeyPath& path);

}  // namespace kv
