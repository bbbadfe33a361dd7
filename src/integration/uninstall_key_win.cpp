#include <windows.h>

#include "install_log.h"
#include "registry.h"
#include "system_text_win.h"
#include "text.h"
#include "uninstall_key.h"
#include "win_handles.h"

namespace integration {
namespace {

// Query, set, create subkey, enumerate, read control; no 64-bit view flag:
// the process's own view, the one the uninstaller opens.
constexpr REGSAM kAccess = 0x2000F;
constexpr kv::RegView kView = kv::RegView::native32;

LONG write_value(HKEY key, const UninstallValue& value) {
  switch (value.kind) {
    case ValueKind::text: return kv::reg_write_string(key, value.name, value.text, REG_SZ);
    case ValueKind::expand_text: return kv::reg_write_string(key, value.name, value.text, REG_EXPAND_SZ);
    case ValueKind::number: return kv::reg_write_dword(key, value.name, value.number);
    case ValueKind::narrow_text: {
      // The 8-bit interface, so that the uninstaller's 8-bit reads give the
      // same bytes back.
      std::string name = kv::utf16_to_ansi(value.name);
      return RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.narrow.c_str()),
                            DWORD(value.narrow.size() + 1));
    }
    case ValueKind::remove: {
      LONG rc = kv::reg_delete_value(key, value.name);
      return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
    }
  }
  return ERROR_INVALID_PARAMETER;
}

HKEY root_key(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::local_machine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::current_user: return HKEY_CURRENT_USER;
    case RegistryRoot::classes_root: return HKEY_CLASSES_ROOT;
    case RegistryRoot::users: return HKEY_USERS;
  }
  return HKEY_LOCAL_MACHINE;
}

void write_install_path_value(const std::u16string& path, const std::u16string& install_folder) {
  std::optional<RegistryValueLocation> location = registry_value_location(path);
  if (!location) return;
  kv::UniqueRegKey key = kv::reg_create(root_key(location->root), location->key, kAccess, kView);
  if (key) kv::reg_write_string(key.get(), location->value, install_folder);
}

}  // namespace

void write_uninstall_key(const std::u16string& key_name, const std::vector<UninstallValue>& values,
                         const std::u16string& install_path_value, const std::u16string& install_folder) {
  LONG error = ERROR_SUCCESS;
  kv::UniqueRegKey key =
      kv::reg_create(HKEY_LOCAL_MACHINE, std::u16string(kUninstallKeyRoot) + u"\\" + key_name, kAccess, kView, &error);
  std::u16string kept_error;
  std::u16string uninstall_string;
  if (!key) kept_error = system_error_text(DWORD(error));
  if (key) for (const UninstallValue& value : values) {
    HKEY target = key.get();
    kv::UniqueRegKey subkey;
    LONG rc = ERROR_SUCCESS;
    if (!value.subkey.empty()) {
      subkey = kv::reg_create(key.get(), value.subkey, kAccess, kView, &rc);
      target = subkey.get();
    }
    if (target) rc = write_value(target, value);
    if (value.subkey.empty() && value.name == u"UninstallString") {
      uninstall_string = value.text;
      if (rc != ERROR_SUCCESS) kept_error = system_error_text(DWORD(rc));
    }
    if (rc != ERROR_SUCCESS && value.author_value) {
      std::u16string entry = value.subkey.empty() ? value.name : value.subkey + u"\\" + value.name;
      engine::error_report_append(u"Failed to save data in registry key \"" + entry + u"\": " +
                                  system_error_text(DWORD(rc)) + u"\r\n");
    }
  }
  if (!install_path_value.empty()) write_install_path_value(install_path_value, install_folder);

  bool matches = key && kv::reg_read_string(key.get(), u"UninstallString").value_or(u"") == uninstall_string;
  std::u16string report = uninstall_key_failure_report(bool(key), matches, kept_error);
  if (!report.empty()) engine::error_report_append(report);
}

}  // namespace integration
