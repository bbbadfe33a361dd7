// The records the uninstaller undoes, one kind per function, in the order
// the removal takes them.
#include <windows.h>
#include <oleauto.h>
#include <shellapi.h>

#include <algorithm>

#include "child_process.h"
#include "component_registration.h"
#include "crash_guard.h"
#include "file_install_lists.h"
#include "folders_win.h"
#include "install_log.h"
#include "kv_core.h"
#include "msi_library.h"
#include "os_version.h"
#include "path_variables_win.h"
#include "paths.h"
#include "pending_cleanup.h"
#include "registry.h"
#include "registry_path.h"
#include "removal_order.h"
#include "shared_files.h"
#include "system_library.h"
#include "text_ids.h"
#include "uninstall_records.h"
#include "firewall_exceptions.h"
#include "progress_dialog_win.h"
#include "uninstaller_win.h"
#include "win_handles.h"
#include "wow64_redirection.h"

namespace uninstall::detail {
namespace {

// The counts and the font list live in the process's own view, where the
// installation wrote them.
const std::u16string kSharedDllsKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr DWORD kForceDelete = 1;  // SUOI_FORCEDELETE

// A removal-list line's first character when it is not a file.
bool is_record_kind(char c) { return c == '~' || c == '!' || c == '^' || c == '*'; }

void unregister_com_server(const std::u16string& path) {
  if (engine::run_regsvr32(path, /*unregister=*/true) == 0) return;
  bool called = false;
  engine::call_server_entry(path, "DllUnregisterServer", called);
}

void unregister_type_library(const std::u16string& path) {
  kv::crash_guard([&path] {
    ITypeLib* library = nullptr;
    if (FAILED(LoadTypeLibEx(kv::as_wide(path), REGKIND_NONE, &library)) || !library) return;
    TLIBATTR* attributes = nullptr;
    if (SUCCEEDED(library->GetLibAttr(&attributes)) && attributes) {
      UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->lcid,
                        attributes->syskind);
      library->ReleaseTLibAttr(attributes);
    }
    library->Release();
  });
}

DWORD uninstall_msi_package(const MsiRecord& record) {
  DWORD result = ERROR_INSTALL_FAILURE;
  kv::crash_guard([&] {
    result = engine::msi_install_product(record.package, record.ui_level, nullptr, L"REBOOT=R REMOVE=ALL");
  });
  return result;
}

void remove_registry_value(const kv::RegistryValuePath& value, kv::RegView view) {
  for (const kv::HiveKey& key : kv::keys_in_each_hive(value.key))
    if (kv::UniqueRegKey open = kv::reg_open(key.root, key.key, KEY_SET_VALUE, view))
      kv::reg_delete_value(open.get(), value.value_name);
}

void remove_registry_tree(const std::u16string& path, kv::RegView view) {
  auto key = kv::parse_registry_key_path(path);
  if (!key || key->key.empty()) return;
  for (const kv::HiveKey& subkey : kv::keys_in_each_hive(*key)) kv::reg_delete_tree(subkey.root, subkey.key, view);
}

void remove_file_record(const std::string& line, std::size_t position, std::size_t count) {
  std::u16string path = kv::from_marked(line);
  show_path(path);
  progress(11 + static_cast<int>(81 * position / count));
  if (!kv::path_exists(path)) return;
  if (kv::delete_file(path) == ERROR_SUCCESS) {
    uninstall_run.deleted_files.insert(engine::path_set_key(path));
    return;
  }
  engine::error_report_append(text(setup::text_id::kCannotDeleteFile) + u" " + path + u"\r\n");
  add_to_removal_list(uninstall_data, line, RemovalKind::file);
}

}  // namespace

void remove_fonts(HKEY uninstall_key) {
  std::vector<FontRecord> fonts = parse_product_fonts(uninstall_run.product_fonts);
  const bool nt = kv::os_version().platform == kv::kPlatformNt;
  kv::UniqueRegKey font_list =
      kv::reg_open(HKEY_LOCAL_MACHINE,
                   nt ? u"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"
                      : u"Software\\Microsoft\\Windows\\CurrentVersion\\Fonts",
                   KEY_QUERY_VALUE | KEY_SET_VALUE, kv::RegView::native32);
  std::u16string font_folder = engine::path_variable(engine::PathVar::FontDir);
  bool any_removed = false;
  for (const FontRecord& font : fonts) {
    if (!automatic() && uninstall_run.has_low(setup::flags_low::kAskBeforeRemovingFonts) &&
        !ask(kv::fill_format(text(setup::text_id::kRemoveFontQuestion), {font.name}), text(setup::text_id::kRemoveFontCaption)))
      continue;
    if (font_list) kv::reg_delete_value(font_list.get(), font.name);
    std::u16string file = kv::is_absolute_path(font.file_name) ? font.file_name : kv::join_path(font_folder, font.file_name);
    if (!RemoveFontResourceW(kv::as_wide(font.file_name))) RemoveFontResourceW(kv::as_wide(file));
    kv::delete_file(file);
    any_removed = true;
  }
  kv::reg_write_string(uninstall_key, u"ProductFonts", u"");
  if (any_removed) SendMessageTimeoutW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 1000, nullptr);
}

void remove_shared_files(HKEY uninstall_key) {
  std::vector<SharedFile> files = parse_shared_files(uninstall_run.shared_files);
  // Without shared files the counts are not needed: a system without the
  // counts' key is no failure then.
  if (files.empty()) {
    kv::reg_delete_value(uninstall_key, integration::key_value::kSharedFiles);
    return;
  }
  kv::UniqueRegKey counts =
      kv::reg_open(HKEY_LOCAL_MACHINE, kSharedDllsKey, KEY_QUERY_VALUE | KEY_SET_VALUE, kv::RegView::native32);
  if (!counts) {
    engine::error_report_format("REGISTRY ERROR:  Unable to adjust shared file reference counts.\r\n\r\n");
    return;
  }
  for (const SharedFile& file : files) {
    std::optional<std::uint32_t> count = kv::reg_read_dword(counts.get(), file.path);
    if (!count) continue;
    SharedCountChange change = lower_shared_count(*count);
    // A count that cannot be lowered still holds the file.
    if (change.write_back && kv::reg_write_dword(counts.get(), file.path, change.new_count) != ERROR_SUCCESS)
      continue;
    if (!shared_file_removable(file.kind, change.reached_zero)) continue;
    if (file.kind == SharedFileKind::com_server) unregister_com_server(file.path);
    if (file.kind == SharedFileKind::type_library) unregister_type_library(file.path);
    if (HWND progress = wizard::progress_dialog()) SetActiveWindow(progress);
    if (kv::path_exists(file.path)) {
      if (!automatic() && uninstall_run.has_low(setup::flags_low::kAskBeforeRemovingSharedFiles) &&
          !ask(kv::fill_format(text(setup::text_id::kRemoveSharedFileQuestion), {file.path}), text(setup::text_id::kRemoveSharedFileCaption)))
        continue;
      kv::delete_file(file.path);
    }
    // The count of a file that is gone goes with it; a kept file keeps its
    // zero, which tells the next installation that nothing else uses it.
    if (!kv::path_exists(file.path)) kv::reg_delete_value(counts.get(), file.path);
  }
  kv::reg_delete_value(uninstall_key, integration::key_value::kSharedFiles);
}

void unpin_taskbar_items() {
  kv::Wow64RedirectionPause pause;
  for (const std::string& line : uninstall_data.removal_lines) {
    if (line.empty() || is_record_kind(line[0]) || line.find("\\User Pinned\\") == std::string::npos) continue;
    std::u16string path = kv::from_marked(line);
    ShellExecuteW(nullptr, L"taskbarunpin", kv::as_wide(path), nullptr, nullptr, SW_HIDE);
  }
}

void remove_msi_packages() {
  std::vector<std::string> lines;
  for (std::string_view line : section_lines(uninstall_data.msi)) lines.emplace_back(line);
  // Packages that fail are written back for the next run.
  uninstall_data.msi.clear();
  if (lines.empty()) return;
  step_start(setup::text_id::kRemovingPackages);
  kv::Wow64RedirectionPause pause;
  for (const std::string& line : lines) {
    std::optional<MsiRecord> record = parse_msi_line(line);
    if (!record) continue;
    DWORD result = uninstall_msi_package(*record);
    if (result == ERROR_SUCCESS) continue;
    // Removed, but the system must restart to finish.
    if (result == ERROR_SUCCESS_REBOOT_REQUIRED || result == ERROR_SUCCESS_REBOOT_INITIATED) {
      uninstall_run.flags_high |= setup::flags_high::kUninstallRestart;
      continue;
    }
    engine::error_report_append(u"Failed to uninstall " + record->package + u", code " + kv::to_u16(result) + u": " +
                                system_error_text(result) + u"\r\n");
    uninstall_data.msi.append(line).append("\r\n");
  }
  step_end();
}

void walk_removal_list() {
  const std::vector<std::string>& lines = uninstall_data.removal_lines;
  const kv::RegView process_view = kv::RegView::native32;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.empty()) continue;
    std::string_view rest = std::string_view(line).substr(1);
    switch (line[0]) {
      case '~':
        uninstall_run.directories.push_back(kv::from_marked(rest));
        break;
      case '!':
        if (auto value = kv::parse_registry_value_path(kv::from_marked(rest))) remove_registry_value(*value, process_view);
        break;
      case '^':
        remove_registry_tree(kv::from_marked(rest), process_view);
        break;
      case '*':
        remove_registry_tree(kv::from_marked(rest), kv::RegView::wow64_64);
        break;
      default:
        remove_file_record(line, i, lines.size());
        break;
    }
  }
}

void remove_directories() {
  std::vector<std::u16string> directories = uninstall_run.directories;
  sort_longest_first(directories);
  // Empty parents go too, but never a folder of the system's own: an empty
  // desktop or startup folder stays where a shortcut's folder was.
  const std::vector<std::u16string> kept = system_folders();
  auto is_kept = [&](const std::u16string& folder) {
    return std::any_of(kept.begin(), kept.end(), [&](const std::u16string& k) { return kv::same_path(k, folder); });
  };
  for (const std::u16string& directory : directories) {
    for (const std::u16string& folder :
         removal_chain(directory, uninstall_run.install_folder, kDirectoryChainLimit)) {
      if (is_kept(folder)) break;
      show_path(folder);
      if (kv::remove_empty_folder(folder) != ERROR_SUCCESS) break;
    }
  }
  // A folder still there (it holds a file that could not be deleted) stays
  // on the list, so that the next run removes it too.
  for (const std::u16string& directory : uninstall_run.directories)
    if (kv::path_exists(directory)) add_to_removal_list_w(uninstall_data, directory, RemovalKind::directory);
}

void remove_start_menu_folder() {
  using engine::PathVar;
  std::u16string programs =
      engine::path_variable(uninstall_run.shortcut_mode == 1 ? PathVar::SMProgramsAllDir : PathVar::SMProgramsDir);
  for (const std::u16string& folder : start_menu_chain(programs, uninstall_run.product_start_menu))
    if (kv::remove_empty_folder(folder) != ERROR_SUCCESS) break;
}

void remove_product_registry(HKEY uninstall_key) {
  const std::u16string& name = uninstall_run.product_registry;
  if (name.empty()) return;
  const kv::RegView view = product_view();
  auto remove_under = [&](HKEY root, const std::u16string& prefix) {
    kv::reg_delete_tree(root, prefix + product_key(name), view);
    for (const std::u16string& parent : product_key_parents(name)) {
      kv::UniqueRegKey key = kv::reg_open(root, prefix + parent, KEY_READ, view);
      if (!key || !kv::reg_key_is_empty(key.get())) break;
      key.reset();
      kv::reg_delete_tree(root, prefix + parent, view);
    }
  };
  remove_under(HKEY_LOCAL_MACHINE, u"");
  for (const std::u16string& hive : kv::user_hives()) remove_under(HKEY_USERS, hive + u"\\");
  kv::reg_delete_value(uninstall_key, integration::key_value::kProductRegistry);
}

void remove_registry_items() {
  if (uninstall_data.registry_items.empty()) return;
  const kv::RegView view = product_view();
  for (const RegistryUndo& item : registry_items_to_undo(uninstall_data.registry_items)) {
    for (const kv::HiveKey& key : kv::keys_in_each_hive(item.key)) {
      if (item.kind == RegistryUndo::remove_key_if_empty) {
        delete_key_if_empty(key.root, key.key, view);
      } else if (kv::UniqueRegKey open = kv::reg_open(key.root, key.key, KEY_SET_VALUE, view)) {
        kv::reg_delete_value(open.get(), item.value_name);
      }
    }
  }
}

void remove_firewall_exceptions() {
  std::vector<std::string_view> lines = section_lines(uninstall_data.firewall);
  if (lines.empty() || !integration::connect_firewall()) return;
  for (std::string_view line : lines)
    if (std::optional<FirewallRecord> record = parse_firewall_line(line))
      integration::remove_firewall_exception(*record, uninstall_run.install_folder);
}

void remove_driver_packages() {
  std::vector<std::string_view> lines = section_lines(uninstall_data.inf);
  if (lines.empty()) return;
  kv::Wow64RedirectionPause pause;
  kv::UniqueModule setupapi = kv::load_system_library(L"Setupapi.dll");
  using UninstallOemInf = BOOL(WINAPI*)(PCWSTR, DWORD, PVOID);
  auto uninstall_inf = setupapi ? reinterpret_cast<UninstallOemInf>(reinterpret_cast<void*>(
                                      GetProcAddress(setupapi.get(), "SetupUninstallOEMInfW")))
                                : nullptr;
  if (!uninstall_inf) return;
  for (std::string_view line : lines) {
    std::u16string path = kv::from_marked(line);
    DWORD attributes = GetFileAttributesW(kv::as_wide(path));
    if (attributes != INVALID_FILE_ATTRIBUTES)
      SetFileAttributesW(kv::as_wide(path), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    std::u16string name = kv::file_name_of(path);
    kv::crash_guard([&] { uninstall_inf(kv::as_wide(name), kForceDelete, nullptr); });
  }
}

void delete_installation_folder() {
  if (!uninstall_run.has_low(setup::flags_low::kDeleteInstallationFolder)) return;
  if (!may_delete_whole_folder(uninstall_run.install_folder, protected_folders())) return;
  delete_folder_tree(uninstall_run.install_folder);
}

}  // namespace uninstall::detail
