#include "registry_entries.h"

#include <windows.h>

#include "child_process.h"
#include "engine_run.h"
#include "file_system_win.h"
#include "folders_win.h"
#include "install_log.h"
#include "path_variables_win.h"
#include "paths.h"
#include "reboot_operations.h"
#include "registry.h"
#include "registry_entry_list.h"
#include "registry_merge_file.h"
#include "run_state.h"
#include "run_status.h"
#include "system_text_win.h"
#include "text_ids.h"
#include "uninstall_data.h"
#include "win_handles.h"

namespace integration {
namespace {

constexpr int kRegistryProgress = 97;
// Query, set, create subkey, enumerate, read control; a 64-bit product's
// keys are those of the 64-bit view.
constexpr REGSAM kEntryAccess = KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS |
                                READ_CONTROL;
constexpr int kMergeFileAttempts = 16;

kv::RegView entry_view() {
  return setup::run.settings.Bitness == 1 ? kv::RegView::wow64_64 : kv::RegView::native32;
}

// One key a record addresses: under "\HKAU\" there is one per user hive.
struct TargetKey {
  kv::RegistryRoot root;  // HKEY_USERS for a user hive
  HKEY root_key;
  std::u16string key;
  std::u16string shown;  // the path the error report names
};

std::vector<TargetKey> target_keys(const std::u16string& written) {
  std::optional<kv::RegistryKeyPath> path = kv::parse_registry_key_path(written);
  if (!path) return {};
  const bool each_hive = path->root == kv::RegistryRoot::all_users;
  const kv::RegistryRoot root = each_hive ? kv::RegistryRoot::users : path->root;
  std::vector<TargetKey> targets;
  for (kv::HiveKey& hive : kv::keys_in_each_hive(*path)) {
    std::u16string shown = each_hive ? std::u16string(kv::registry_root_name(root)) + u"\\" + hive.key : written;
    targets.push_back({root, hive.root, std::move(hive.key), std::move(shown)});
  }
  return targets;
}

// The levels of the key that do not exist yet, outermost first.
std::vector<std::u16string> missing_levels(HKEY root, std::u16string key, kv::RegView view) {
  std::vector<std::u16string> missing;
  while (!key.empty()) {
    LONG error = ERROR_SUCCESS;
    kv::reg_open(root, key, KEY_QUERY_VALUE, view, &error);
    if (error != ERROR_FILE_NOT_FOUND) break;
    missing.insert(missing.begin(), key);
    std::size_t cut = key.find_last_of(u'\\');
    key.resize(cut == std::u16string::npos ? 0 : cut);
  }
  return missing;
}

// Creates the key; the levels it made are recorded for the uninstaller,
// which removes them again when they are empty.
kv::UniqueRegKey create_recorded(const TargetKey& target, LONG* error = nullptr) {
  const kv::RegView view = entry_view();
  std::vector<std::u16string> made = missing_levels(target.root_key, target.key, view);
  kv::UniqueRegKey key = kv::reg_create(target.root_key, target.key, kEntryAccess, view, error);
  if (key)
    for (const std::u16string& level : made)
      uninstall::uninstall_data.registry_items += created_key_record(target.root, level);
  return key;
}

// The uninstaller removes the product's key with everything below it; the
// parents it made are recorded like the entries' keys, since the entries may
// still fill them when the key goes.
void create_product_key() {
  const std::u16string& name = setup::run.settings.ProductRegistry;
  if (name.empty()) return;
  const std::u16string key = u"Software\\" + name;
  for (const kv::HiveKey& hive : kv::keys_in_each_hive({kv::RegistryRoot::all_users, key}))
    create_recorded({kv::RegistryRoot::users, hive.root, hive.key, {}});
  LONG error = ERROR_SUCCESS;
  if (!create_recorded({kv::RegistryRoot::local_machine, HKEY_LOCAL_MACHINE, key, {}}, &error))
    engine::error_report_append(product_key_failed_text(name, error, system_error_text(error)));
}

void create_key(const RegistryRecord& record) {
  for (const TargetKey& target : target_keys(record.key_path)) create_recorded(target);
}

void delete_value(const RegistryRecord& record) {
  for (const TargetKey& target : target_keys(record.key_path))
    if (kv::UniqueRegKey key = kv::reg_open(target.root_key, target.key, kEntryAccess, entry_view()))
      kv::reg_delete_value(key.get(), record.value_name);
}

bool value_exists(HKEY key, const std::u16string& name) {
  return RegQueryValueExW(key, kv::as_wide(name), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void write_value(const RegistryRecord& record, bool only_when_missing) {
  std::optional<RegistryData> data =
      registry_data(record.type, record.data, [](std::u16string text) { return engine::expanded(std::move(text)); });
  if (!data) {
    engine::error_report_append(value_not_created_text(record.value_name, system_error_text(ERROR_INVALID_DATA)));
    return;
  }
  std::vector<TargetKey> targets = target_keys(record.key_path);
  if (targets.empty()) engine::error_report_append(key_not_created_text(record.key_path));
  for (const TargetKey& target : targets) {
    kv::UniqueRegKey key = create_recorded(target);
    if (!key) {
      engine::error_report_append(key_not_created_text(target.shown));
      continue;
    }
    if (only_when_missing && value_exists(key.get(), record.value_name)) continue;
    LONG error = kv::reg_write_binary(key.get(), record.value_name, data->bytes.data(),
                                      static_cast<DWORD>(data->bytes.size()), data->type);
    if (error != ERROR_SUCCESS)
      engine::error_report_append(value_not_created_text(record.value_name, system_error_text(error)));
  }
}

void apply_record(std::u16string_view line) {
  RegistryRecord record = read_registry_record(line);
  switch (record.kind) {
    case RegistryRecord::blank:
      return;
    case RegistryRecord::illegal:
      engine::error_report_append(illegal_registry_entry_text(line));
      return;
    case RegistryRecord::key:
      create_key(record);
      return;
    case RegistryRecord::value:
      break;
  }
  switch (registry_action(record.action)) {
    case RegistryAction::nothing: return;
    case RegistryAction::remove: delete_value(record); return;
    case RegistryAction::write: write_value(record, false); return;
    case RegistryAction::write_if_missing: write_value(record, true); return;
  }
}

// The registry editor of the product's view: on 64-bit Windows the system
// folder this 32-bit process sees holds the 32-bit editor, the Windows
// folder the 64-bit one. Always by its full path, never by a search.
std::u16string registry_editor() {
  const std::u16string in_windows = kv::join_path(kv::windows_folder(), u"regedit.exe");
  if (setup::run.settings.Bitness == 1) return in_windows;
  const std::u16string in_system = kv::join_path(kv::system_folder(), u"regedit.exe");
  return kv::path_exists(in_system) ? in_system : in_windows;
}

// A new file "tsr????.reg" in the temporary folder, or the system's error.
DWORD write_merge_file(const std::string& bytes, std::u16string& path) {
  const std::u16string folder = engine::path_variable(engine::PathVar::Temp);
  DWORD error = ERROR_FILE_EXISTS;
  for (int attempt = 0; attempt < kMergeFileAttempts && error == ERROR_FILE_EXISTS; ++attempt) {
    // The system's unique name keeps its placeholder until the ".reg" twin
    // exists, so that no other run is handed the same number.
    wchar_t placeholder[MAX_PATH + 16] = {};
    if (!GetTempFileNameW(kv::as_wide(folder), L"tsr", 0, placeholder)) return GetLastError();
    std::u16string name = kv::from_wide(placeholder);
    path = name.substr(0, name.find_last_of(u'.')) + u".reg";
    kv::UniqueFile file(CreateFileW(kv::as_wide(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    error = file ? ERROR_SUCCESS : GetLastError();
    DeleteFileW(placeholder);
    if (!file) continue;
    if (!engine::write_all(file.get(), {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()})) {
      error = GetLastError();
      if (error == ERROR_SUCCESS) error = ERROR_WRITE_FAULT;
      file.reset();
      DeleteFileW(kv::as_wide(path));
    }
  }
  return error;
}

void merge_registry_file() {
  const std::u16string& text = setup::run.settings.registry_merge_file;
  if (text.empty()) return;
  std::u16string path;
  if (DWORD error = write_merge_file(merge_file_bytes(text), path)) {
    engine::error_report_append(u"Failed to create the registry merge file: " + system_error_text(error) + u"\r\n");
    return;
  }
  engine::log_text("Merging registry file...");
  kv::ChildProcess editor = kv::ChildProcess::start(merge_command_line(registry_editor(), path));
  if (!editor) {
    std::u16string error = system_error_text(editor.start_error());
    engine::log_wide_pieces({u"FAILED!\r\n", error, u"\r\n"});
    engine::error_report_append(u"Failed to import the registry merge file: " + error + u"\r\n");
    // Nothing reads the file.
    DeleteFileW(kv::as_wide(path));
    return;
  }
  engine::log_text("OK\r\n");
  // The editor may still be reading it.
  engine::delete_at_reboot(path);
}

}  // namespace

void apply_registry_entries() {
  if (registry_skipped_when_portable(engine::run.paths.portable, setup::run.installation.head.ProductFlags2)) return;
  setup::show_step(setup::text_id::kUpdatingRegistry);
  setup::post_progress(kRegistryProgress);

  const std::u16string& list = setup::run.settings.registry_entries;
  // The uninstaller undoes the list as written, and the keys this step
  // made, which follow it.
  std::u16string& recorded = uninstall::uninstall_data.registry_items;
  recorded = list;
  if (!recorded.empty() && recorded.back() != u'\n' && recorded.back() != u'\r') recorded += u"\r\n";
  create_product_key();
  for (std::u16string_view line : registry_list_lines(list)) apply_record(line);

  merge_registry_file();
}

}  // namespace integration
