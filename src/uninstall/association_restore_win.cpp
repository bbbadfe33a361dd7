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

  void write_default(const std::u16string& key, const std::u16string& text) override {
    if (kv::UniqueRegKey k = open(key)) kv::reg_write_string(k.get(), u"", text);
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
