#include "shortcuts.h"

#include <windows.h>

#include <vector>

#include "crash_guard.h"
#include "engine_run.h"
#include "file_io_win.h"
#include "folders_win.h"
#include "install_log.h"
#include "install_log_win.h"
#include "integration_run.h"
#include "localised.h"
#include "os_version.h"
#include "path_variables_win.h"
#include "paths.h"
#include "run_state.h"
#include "run_status.h"
#include "shell_link_win.h"
#include "shortcut_list.h"
#include "string_table.h"
#include "system_text_win.h"
#include "text.h"
#include "text_ids.h"
#include "uninstall_data.h"
#include "win_handles.h"

namespace integration {
namespace {

using engine::PathVar;
using uninstall::RemovalKind;

const setup::Settings& settings() { return setup::run.settings; }
bool detailed_log() { return settings().ProductFlags.has_low(setup::flags_low::kDetailedLog); }

void record(const std::u16string& path, RemovalKind kind) {
  uninstall::add_to_removal_list_w(uninstall::uninstall_data, path, kind);
}

std::u16string for_shortcut_mode(PathVar all_users, PathVar current_user) {
  return engine::path_variable(engine::run.paths.shortcuts_for_all_users ? all_users : current_user);
}

ShortcutFolders shortcut_folders() {
  const engine::PathRunValues& paths = engine::run.paths;
  ShortcutFolders folders;
  folders.desktop = for_shortcut_mode(PathVar::DesktopAllDir, PathVar::DesktopDir);
  // The driver joins the desktop with the folder's name; without a name it
  // is the desktop itself.
  if (!paths.desktop_shortcuts.empty() && !kv::same_path(paths.desktop_shortcuts, folders.desktop))
    folders.desktop_folder = paths.desktop_shortcuts;
  folders.start_menu = engine::path_variable(PathVar::StartMenuChosen);
  if (start_menu_needs_user_copy(kv::os_version(), paths.shortcuts_for_all_users))
    folders.user_start_menu = kv::join_path(engine::path_variable(PathVar::SMProgramsDir), paths.start_menu_folder);
  folders.startup = for_shortcut_mode(PathVar::StartupAllDir, PathVar::StartupDir);
  return folders;
}

// The folder on the desktop that holds the desktop links, with its own icon:
// made before its first link, once per run.
void prepare_desktop_folder(const std::u16string& folder) {
  if (DWORD error = kv::create_folder_chain(folder); error != ERROR_SUCCESS) {
    engine::error_report_append(u"Failed to create directory " + folder + u": " + system_error_text(error) +
                                u"\r\n\r\n");
    return;
  }
  const std::u16string ini = kv::join_path(folder, kDesktopIniName);
  record(ini, RemovalKind::file);
  record(folder, RemovalKind::directory);
  if (settings().desktop_folder_icon.empty()) return;
  const std::u16string icon = kv::join_path(engine::run.paths.uninstall_dir, kDesktopIconName);
  if (write_whole_file(icon, settings().desktop_folder_icon) != ERROR_SUCCESS) {
    engine::error_report_append(u"Failed to create Desktop shortcut folder icon \"" + icon + u"\"\r\n");
    return;
  }
  WritePrivateProfileStringW(L".ShellClassInfo", L"IconFile", kv::as_wide(icon), kv::as_wide(ini));
  WritePrivateProfileStringW(L".ShellClassInfo", L"IconIndex", L"0", kv::as_wide(ini));
  record(icon, RemovalKind::file);
  // The shell reads a folder's Desktop.ini only when the folder is marked.
  DWORD attributes = GetFileAttributesW(kv::as_wide(folder));
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(kv::as_wide(folder), attributes | FILE_ATTRIBUTE_SYSTEM);
  SetFileAttributesW(kv::as_wide(ini), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}

// One link of an entry; failures go to the error report unless the entry is
// quiet.
void make_link(const PlannedLink& planned, const ResolvedShortcut& resolved, const setup::ShortcutEntry& entry) {
  if (!settings().ProductFlags.has_high(setup::flags_high::kNoPathsInStepText)) setup::show_step_text(planned.path);
  if (detailed_log()) engine::log_wide(link_log_line(planned.place, resolved.link_name, planned.path));
  const std::u16string folder = kv::parent_folder(planned.path);
  const bool folder_existed = kv::folder_exists(folder);
  ShellLink link{planned.path, resolved.target, resolved.arguments, resolved.working_folder, resolved.icon,
                 entry.show_mode};
  if (DWORD error = create_shell_link(link); error != ERROR_SUCCESS) {
    if (!entry.quiet)
      engine::error_report_append(link_failure_text(setup::localised(setup::text_id::kCannotWriteFile), planned.path,
                                                    system_error_text(error)));
    return;
  }
  if (entry.keep_at_uninstall) return;
  record(planned.path, RemovalKind::file);
  // A folder made for the link goes with it when it is empty.
  if (link_name_has_folder(resolved.link_name) || !folder_existed) record(folder, RemovalKind::directory);
}

std::vector<setup::ShortcutEntry> shortcut_list() {
  std::vector<setup::ShortcutEntry> entries = settings().shortcuts;
  FlagShortcutFacts facts;
  facts.flags = settings().ProductFlags;
  facts.uninstaller = run.uninstaller.path;
  facts.uninstall_argument = run.uninstaller.argument;
  facts.uninstaller_icon = run.uninstaller.icon;
  facts.uninstall_folder = engine::run.paths.uninstall_dir;
  facts.log_path = engine::install_log_path();
  facts.uninstaller_link_name = setup::localised(setup::text_id::kUninstallShortcutName);
  facts.log_link_name = setup::localised(setup::text_id::kLogShortcutName);
  for (setup::ShortcutEntry& entry : flag_shortcuts(facts)) entries.push_back(std::move(entry));
  return entries;
}

void create_listed_shortcuts() {
  if (shortcuts_skipped_when_portable(engine::run.paths.portable, setup::run.installation.head.ProductFlags2)) return;
  const std::vector<setup::ShortcutEntry> entries = shortcut_list();
  if (entries.empty()) return;
  if (detailed_log()) engine::log_line_end();

  ShortcutResolving how;
  how.install_folder = engine::run.paths.install_dir;
  how.name_format = setup::localised(setup::text_id::kShortcutNameDefault);
  how.expand = [](std::u16string text) { return engine::expanded(std::move(text)); };
  how.folder_exists = [](const std::u16string& path) { return kv::folder_exists(path); };
  const ShortcutFolders folders = shortcut_folders();
  bool desktop_folder_ready = false;
  for (const setup::ShortcutEntry& entry : entries) {
    const ResolvedShortcut resolved = resolve_shortcut(entry, how);
    for (const PlannedLink& link : plan_links(entry, resolved, folders)) {
      if (link.place == LinkPlace::desktop_folder && !desktop_folder_ready) {
        prepare_desktop_folder(folders.desktop_folder);
        desktop_folder_ready = true;
      }
      make_link(link, resolved, entry);
    }
  }
}

// A command line of the settings as a program and its arguments.
ProgramCommand settings_command(const std::u16string& command_line) {
  ProgramCommand command = split_program_command(engine::expanded(command_line));
  command.program = shortcut_target_path(std::move(command.program), engine::run.paths.install_dir);
  return command;
}

// The name of the root shortcut or the pin: the product's when empty.
std::u16string settings_link_name(const std::u16string& name) {
  std::u16string expanded(kv::trim_white_space(
      setup::expand_placeholders(engine::expanded(name), setup::run.placeholders)));
  return expanded.empty() ? engine::run.paths.product_name : expanded;
}

void create_root_shortcut() {
  if (!engine::run.paths.portable || settings().root_shortcut_command.empty()) return;
  const std::u16string& install_folder = engine::run.paths.install_dir;
  const ProgramCommand command = settings_command(settings().root_shortcut_command);
  const std::u16string name = settings_link_name(settings().root_shortcut_name);
  const std::u16string path = root_shortcut_path(install_folder, name);
  if (path.empty()) return;
  if (detailed_log()) engine::log_wide(link_log_line(LinkPlace::root, name, path));
  ShellLink link{path, command.program, command.arguments, install_folder, {}, 0};
  if (DWORD error = create_shell_link(link); error != ERROR_SUCCESS) {
    engine::error_report_append(
        link_failure_text(setup::localised(setup::text_id::kCannotWriteFile), path, system_error_text(error)));
    return;
  }
  record(path, RemovalKind::file);
}

void pin_to_taskbar_step() {
  if (settings().taskbar_pin_command.empty() || engine::run.paths.portable ||
      !taskbar_pin_supported(kv::os_version()))
    return;
  setup::show_step_text(u"Pin to taskbar");
  const ProgramCommand command = settings_command(settings().taskbar_pin_command);
  const std::u16string link_path =
      link_file_path(kv::join_path(engine::path_variable(PathVar::Temp), settings_link_name(settings().taskbar_pin_name)));
  DWORD error = create_shell_link({link_path, command.program, command.arguments, {}, {}, 0});
  if (error == ERROR_SUCCESS) error = pin_to_taskbar(link_path);
  if (error == ERROR_SUCCESS) {
    engine::log_wide_pieces({u"Pin to taskbar(", command.program, u"): OK\r\n"});
    // The shell keeps a copy of the pinned link; the uninstaller unpins it.
    record(pinned_link_path(engine::path_variable(PathVar::AppDataDir), link_path), RemovalKind::file);
  } else {
    engine::log_wide_pieces({u"Pin to taskbar(", command.program, u"): FAIL\r\n", system_error_text(error), u"\r\n"});
  }
  kv::delete_file(link_path);
}

}  // namespace

void create_shortcuts() {
  create_listed_shortcuts();
  if (kv::crash_guard([] { create_root_shortcut(); }))
    engine::error_report_append(u"Crash while installing root shortcut.\r\n");
  if (kv::crash_guard([] { pin_to_taskbar_step(); })) engine::error_report_append(u"Crash while pinning to taskbar.\r\n");
}

}  // namespace integration
