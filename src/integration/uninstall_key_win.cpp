#include <windows.h>

#include "install_log.h"
#include "registry.h"
#include "registry_path.h"
#include "system_text_win.h"
#include "text.h"
#include "uninstall_key_win.h"
#include "uninstall_records.h"
#include "win_handles.h"

namespace integration {
namespace {

// Query, set, create subkey, enumerate, read control; no 64-bit view flag:
// the process's own view, the one the uninstaller opens.
constexpr REGSAM kAccess = 0x2000F;
constexpr kv::RegView kView = kUninstallKeyView;

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

void write_install_path_value(const std::u16string& path, const std::u16string& install_folder) {
  std::optional<kv::RegistryValuePath> location = kv::parse_registry_value_path(path);
  if (!location) return;
  for (const kv::HiveKey& hive_key : kv::keys_in_each_hive(location->key))
    if (kv::UniqueRegKey key = kv::reg_create(hive_key.root, hive_key.key, kAccess, kView))
      kv::reg_write_string(key.get(), location->value_name, install_folder);
}

}  // namespace

void write_uninstall_key(const std::u16string& key_name, const std::vector<UninstallValue>& values,
                         const std::u16string& install_path_value, const std::u16string& install_folder) {
  LONG error = ERROR_SUCCESS;
  kv::UniqueRegKey key = kv::reg_create(HKEY_LOCAL_MACHINE, uninstall_key_path(key_name), kAccess, kView, &error);
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
    if (value.subkey.empty() && value.name == key_value::kUninstallString) {
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

  bool matches =
      key && kv::reg_read_string(key.get(), key_value::kUninstallString).value_or(u"") == uninstall_string;
  std::u16string report = uninstall_key_failure_report(bool(key), matches, kept_error);
  if (!report.empty()) engine::error_report_append(report);
}

kv::UniqueRegKey open_uninstall_key(std::u16string_view key_name, REGSAM access, LONG* error) {
  return kv::reg_open(HKEY_LOCAL_MACHINE, uninstall_key_path(key_name), access, kView, error);
}

namespace {

std::u16string read_text(HKEY key, const char16_t* name) {
  return kv::reg_read_string(key, name).value_or(std::u16string());
}
std::string read_narrow(HKEY key, const char16_t* name) { return kv::utf16_to_ansi(read_text(key, name)); }
std::uint32_t read_number(HKEY key, const char16_t* name, std::uint32_t fallback) {
  return kv::reg_read_dword(key, name).value_or(fallback);
}

BackgroundLook read_background_look(HKEY key) {
  namespace v = key_value;
  BackgroundLook d;
  d.title = read_text(key, v::kDisplayTitle);
  if (auto size = kv::reg_read_string(key, v::kTitleSize)) d.title_size = *size;
  if (auto colour = kv::reg_read_dword(key, v::kTitleColor)) {
    d.title_color = *colour;
    d.title_color_set = true;
  }
  d.title_shadow = read_number(key, v::kTitleShadow, 1);
  if (auto colour = kv::reg_read_dword(key, v::kTopColor)) {
    d.top_color = *colour;
    d.top_color_set = true;
  }
  d.bottom_color = read_number(key, v::kBottomColor, 0);
  d.mono_color = read_number(key, v::kMonoColor, 1);
  d.title_position = read_number(key, v::kTitlePosition, 0);
  d.title_font = read_narrow(key, v::kTitleFont);
  if (auto taskbar = kv::reg_read_string(key, v::kTaskbarText)) d.taskbar_text = *taskbar;
  d.copyright_text = read_text(key, v::kCopyrightText);
  d.copyright_font = read_narrow(key, v::kCopyrightFont);
  if (auto size = kv::reg_read_string(key, v::kCopyrightSize)) d.copyright_size = *size;
  d.copyright_color = read_narrow(key, v::kCopyrightColor);
  d.copyright_position = read_number(key, v::kCopyrightPos, 0);
  d.bitmap_tpi = static_cast<std::int32_t>(read_number(key, v::kBitmapTPI, 0xFFFFFFFF));
  d.stretch_mode = read_number(key, v::kStretchMode, 0);
  d.bitmap_size = read_number(key, v::kBitmapSize, 0);
  return d;
}

}  // namespace

InstalledProduct read_installed_product(HKEY key) {
  namespace v = key_value;
  InstalledProduct p;
  p.display_name = read_text(key, v::kDisplayName);
  p.install_folder = read_text(key, v::kInstallLocation);
  p.display_version = read_text(key, v::kDisplayVersion);
  p.publisher = read_text(key, v::kPublisher);
  p.uninstall_string = read_text(key, v::kUninstallString);
  p.quiet_uninstall_string = read_text(key, v::kQuietUninstallString);
  p.no_downgrade_below = read_text(key, v::kNoDowngradeBelow);
  uninstall::FlagWords flags = uninstall::parse_product_flags(read_text(key, v::kProductFlags));
  p.flags_low = flags.low;
  p.flags_high = flags.high;
  p.flags2 = uninstall::parse_product_flags2(read_text(key, v::kProductFlags2));
  p.product_64bit = read_number(key, v::kBitness, 0) == 1;
  p.uninstall_subdir = read_text(key, v::kUninstallSubdir);
  p.add_to_path_subfolder = read_text(key, v::kAddToPathSubfolder);
  p.product_fonts = read_narrow(key, v::kProductFonts);
  p.shortcut_mode = read_number(key, v::kShortcutMode, 0);
  p.notify_url = read_narrow(key, v::kNotifyURL);
  p.desktop_folder_name = read_text(key, v::kDesktopFolder);
  p.support_offer = read_narrow(key, v::kSupportOffer);
  p.shared_path = read_text(key, v::kSharedPath);
  p.product_start_menu = read_text(key, v::kProductStartMenu);
  p.uninstall_batch1 = read_narrow(key, v::kUninstallBatch1);
  p.uninstall_batch2 = read_narrow(key, v::kUninstallBatch2);
  p.shared_files = read_narrow(key, v::kSharedFiles);
  p.product_registry = read_text(key, v::kProductRegistry);
  p.display = read_background_look(key);
  return p;
}

}  // namespace integration
