// The file associations' keys under HKEY_CLASSES_ROOT, in the process's own
// registry view, where the installation made them.
#include <windows.h>
#include <shlobj.h>

#include "association_restore.h"
#include "registry.h"
#include "uninstaller_win.h"
#include "wow64_redirection.h"

namespace uninstall::detail {
namespace {

constexpr kv::RegView kView = kv::RegView::native32;
constexpr REGSAM kAccess = KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | READ_CONTROL;

class RegistryClasses final : public ClassesRoot {
 public:
  bool key_exists(const std::u16string& key) override { return static_cast<bool>(open(key)); }

  std::optional<std::u16string> read_value(const std::u16string& key, const std::u16string& name) override {
    kv::UniqueRegKey k = open(key);
    if (!k) return std::nullopt;
    return kv::reg_read_string(k.get(), name);
  }

  bool move_value(const std::u16string& key, const std::u16string& from, const std::u16string& to) override {
    kv::UniqueRegKey k = open(key);
    if (!k) return false;
    DWORD type = 0;
    std::optional<std::vector<std::uint8_t>> data = kv::reg_read_binary(k.get(), from, &type);
    if (!data) return false;
    // A backup that cannot be put back is kept; the key still had an owner.
    if (kv::reg_write_binary(k.get(), to, data->data(), static_cast<DWORD>(data->size()), type) != ERROR_SUCCESS)
      return true;
    kv::reg_delete_value(k.get(), from);
    return true;
  }

  std::vector<std::u16string> value_names(const std::u16string& key) override {
    std::vector<std::u16string> names;
    kv::UniqueRegKey k = open(key);
    if (!k) return names;
    for (DWORD index = 0;; ++index) {
      wchar_t name[16384];
      DWORD length = 16384;
      if (RegEnumValueW(k.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      names.push_back(kv::from_wide(name, length));
    }
    return names;
  }

  void delete_value(const std::u16string& key, const std::u16string& name) override {
    if (kv::UniqueRegKey k = open(key)) kv::reg_delete_value(k.get(), name);
  }

  bool has_subkeys(const std::u16string& key) override {
    kv::UniqueRegKey k = open(key);
    DWORD subkeys = 0;
    return k && RegQueryInfoKeyW(k.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           subkeys > 0;
  }

  bool is_empty(const std::u16string& key) override {
    kv::UniqueRegKey k = open(key);
    return k && kv::reg_key_is_empty(k.get());
  }

  void delete_tree(const std::u16string& key) override { kv::reg_delete_tree(HKEY_CLASSES_ROOT, key, kView); }

 private:
  static kv::UniqueRegKey open(const std::u16string& key) {
    return kv::reg_open(HKEY_CLASSES_ROOT, key, kAccess, kView);
  }
};

}  // namespace

void restore_file_associations() {
  const auto& records = uninstall_data.association_records;
  if (records.empty()) return;
  RegistryClasses classes;
  restore_associations(records, backup_value_name(uninstall_run.display_name), classes);
  kv::Wow64RedirectionPause pause;
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

}  // namespace uninstall::detail
