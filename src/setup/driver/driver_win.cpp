// The installation run: one strictly ordered sequence from the settings to
// the exit. Refusals show a localised text and end with exit code 1; failures
// of single actions are logged and collected in the error report.
#include "child_process.h"
#include "driver.h"

#include <windows.h>

#include <vector>

#include "archive.h"
#include "corrupt_installer.h"
#include "dialogs.h"
#include "driver_rules.h"
#include "driver_state.h"
#include "engine_run.h"
#include "exit_routine.h"
#include "file_io_win.h"
#include "folders_win.h"
#include "install_log.h"
#include "install_log_win.h"
#include "installation_data.h"
#include "installer_ui.h"
#include "kv_core.h"
#include "completion.h"
#include "notification_requests.h"
#include "paths.h"
#include "registry_path.h"
#include "run_state.h"
#include "system_error.h"
#include "localised.h"
#include "os_version.h"
#include "path_variables.h"
#include "path_variables_win.h"
#include "pe_edit.h"
#include "registry.h"
#include "rollback_win.h"
#include "run_modes.h"
#include "settings_system.h"
#include "text_ids.h"
#include "uninstall_data.h"
#include "uninstall_key_win.h"
#include "win_handles.h"

#include "driver_steps.h"

namespace setup {

namespace {

using engine::expanded;


// Refuses the run with localised string n (completed with values); nothing
// is shown in automatic mode when `quiet_when_automatic`.
[[noreturn]] void refuse(const std::u16string& text, bool quiet_when_automatic = false) {
  if (!(quiet_when_automatic && run.modes.automatic)) kv::message_box(text, localised(text_id::kErrorCaption), MB_OK | MB_ICONERROR);
  end_run(RunOutcome::refused);
}

[[noreturn]] void refuse_with(int number, std::initializer_list<std::u16string_view> values = {},
                              bool quiet_when_automatic = false) {
  refuse(kv::fill_format(localised(number), values), quiet_when_automatic);
}



std::u16string our_version() { return run.settings.DisplayVersion; }

// --- Steps 1 to 3: the executable's head, the stub check, the uninstaller image.

void read_head_and_uninstaller_image() {
  kv::UniqueFile file(CreateFileW(kv::as_wide(run.installation.path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  auto read_range = [&](std::uint64_t from, std::uint64_t to, std::vector<std::uint8_t>& out) {
    out.resize(static_cast<std::size_t>(to - from));
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(from);
    if (!file || !SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) return false;
    std::size_t done = 0;
    while (done < out.size()) {
      DWORD got = 0;
      if (!ReadFile(file.get(), out.data() + done, static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1 << 24)),
                    &got, nullptr) || got == 0)
        return false;
      done += got;
    }
    return true;
  };
  const SectionEntry& entry = run.installation.section.entry;
  std::vector<std::uint8_t> head;
  if (!read_range(0, entry.file_position, head)) corrupt_installer(35);

  if (run.settings.ProductFlags.has_high(flags_high::kCheckStubChecksum) &&
      stub_checksum(head, entry.file_position) != run.installation.head.stub_checksum)
    corrupt_installer(40);

  if (run.installation.head.ProductFlags2 & flags2::kUninstallerWithoutSetupSection) {
    FileRange tail = section_tail(head, kSetupSectionName, run.installation.file_size);
    std::vector<std::uint8_t> after;
    if (!read_range(tail.begin, tail.end, after) ||
        uninstaller_image(head, after, kSetupSectionName, run.driver.uninstaller_image) != 0)
      corrupt_installer(42);
  }
}

// --- Step 6: platform checks.

void check_platform() {
  const kv::OsVersion& os = kv::os_version();
  if (auto bits = refused_bitness(run.settings.Bitness, os.windows_64bit))
    refuse_with(text_id::kWrongBitness, {kv::to_u16(*bits)}, /*quiet_when_automatic=*/true);
  if (run.settings.Bitness == 1 && !run.driver.redirection.begin())
    kv::fatal("Wow64DisableWow64FsRedirection() failed");
  if (!run.settings.minimum_system_version.empty()) {
    if (!meets_minimum_system(running_system_version(os), run.settings.minimum_system_version)) {
      const SystemVersion& m = run.settings.minimum_system_version;
      refuse_with(text_id::kSystemTooOld, {kv::to_u16(m.major) + u"." + kv::to_u16(m.minor) + u"." + kv::to_u16(m.build)});
    }
  }
  if (run.settings.excluded_systems & system_family_of(os))
    refuse_with(text_id::kSystemExcluded, {kv::ascii_to_utf16(kv::os_long_name(os))});
}

// --- Step 7: update-only installers.

void check_update_only() {
  if (!run.settings.ProductFlags.has_low(flags_low::kUpdateOnly)) return;
  const auto& update = run.settings.update_only;
  kv::UniqueRegKey key = integration::open_uninstall_key(update.product_name, KEY_READ);
  std::u16string shown = update.display_name.empty() ? update.product_name : update.display_name;
  if (!key) refuse_with(text_id::kUpdateTargetMissing, {shown});
  const integration::InstalledProduct master = integration::read_installed_product(key.get());
  if (!update.oldest_version.empty() && steps::compare_versions(master.display_version, update.oldest_version) < 0)
    refuse_with(text_id::kUpdateTooOld, {master.display_version, update.oldest_version});
  if (kv::iequals(run.settings.default_installation_folder, u"<master>")) run.driver.master_folder = master.install_folder;
}

// --- Step 8: a single installer at a time.

void check_single_instance() {
  if (!run.settings.ProductFlags.has_low(flags_low::kSingleInstance)) return;
  // Held until the process ends.
  HANDLE mutex = CreateMutexW(nullptr, TRUE, L"Tessaline LMQ");
  if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) refuse_with(text_id::kAlreadyRunning);
}

// --- Step 9: an existing installation.

std::u16string read_registry_value_text(const kv::RegistryValuePath& where, kv::RegView view) {
  kv::UniqueRegKey key = kv::reg_open(kv::root_key(where.key.root), where.key.key, KEY_READ, view);
  if (!key) return {};
  return kv::reg_read_string(key.get(), where.value_name).value_or(u"");
}

void find_existing_installation() {
  if (!run.settings.ProductFlags.has_low(flags_low::kRegisterUninstaller)) return;
  // The uninstall key is read in the view the completion writes it and the
  // uninstaller reads it: the process's own.
  if (kv::UniqueRegKey key = integration::open_uninstall_key(integration::uninstall_key_name(run.settings, run.placeholders.product), KEY_READ)) {
    const integration::InstalledProduct installed = integration::read_installed_product(key.get());
    run.driver.existing_folder = installed.install_folder;
    run.driver.installed_version = installed.display_version;
    run.driver.installed_start_menu = installed.product_start_menu;
    run.driver.no_downgrade_below = installed.no_downgrade_below;
    run.driver.quiet_uninstall_string = installed.quiet_uninstall_string;
    run.driver.uninstall_string = installed.uninstall_string;
  }
  std::u16string value_path = kv::from_marked(run.settings.install_path_registry_value);
  if (run.driver.existing_folder.empty() && !value_path.empty()) {
    // Read in the view where the completion writes it.
    if (auto where = kv::parse_registry_value_path(value_path))
      run.driver.existing_folder = read_registry_value_text(*where, kv::RegView::native32);
  }
  if ((run.installation.head.ProductFlags2 & flags2::kRemoveInstallPathValue) && !value_path.empty())
    uninstall::add_to_removal_list_w(uninstall::uninstall_data, u"\\" + value_path, uninstall::RemovalKind::registry_value);
  run.driver.reinstall = !run.driver.existing_folder.empty() && kv::folder_exists(run.driver.existing_folder);
}

// --- Step 15: the installation folder.

void choose_existing_folder() {
  const bool compare = run.settings.ProductFlags.has_high(flags_high::kCompareVersions);
  if (must_uninstall_first(run.settings.ProductFlags.has_low(flags_low::kMustUninstallOlder), run.settings.must_uninstall_version,
                           run.driver.installed_version, steps::compare_versions)) {
    run.modes.automatic = false;
    std::u16string command = run.driver.quiet_uninstall_string.empty() ? run.driver.uninstall_string : run.driver.quiet_uninstall_string;
    if (command.empty()) refuse_with(text_id::kMustUninstall);
    // The old version's uninstaller starts this installer again when it is
    // done; this run installs nothing either way.
    if (!steps::must_uninstall_page()) end_run(RunOutcome::cancelled);
    kv::ChildProcess::start(must_uninstall_command(command, kv::from_wide(GetCommandLineW())));
    end_run(RunOutcome::refused);
  }
  if (downgrade_refused(run.driver.no_downgrade_below, our_version(), steps::compare_versions))
    refuse_with(text_id::kDowngradeRefused, {run.driver.no_downgrade_below}, /*quiet_when_automatic=*/true);

  run.driver.install_type = install_type(compare, run.driver.installed_version, our_version(), steps::compare_versions);
  run.driver.same_version = run.driver.install_type == kSameVersion;
  run.driver.upgrade = run.driver.install_type == kUpgrade;
  run.driver.downgrade = run.driver.install_type == kDowngrade;

  if (!run.modes.automatic && !run.settings.ProductFlags.has_low(flags_low::kNoExistingInstallQuestion)) {
    std::u16string text = kv::fill_format(localised(text_id::kExistingInstallationQuestion), {localised(run.driver.install_type), run.driver.existing_folder,
                                                         run.placeholders.product});
    if (!kv::question_box(text, localised(text_id::kExistingInstallationCaption))) steps::cancel();
    if (run.settings.ProductFlags.has_high(flags_high::kWarnOldVersions) && !run.settings.warning_version.empty() &&
        steps::compare_versions(run.driver.installed_version, kv::from_marked(run.settings.warning_version)) < 0) {
      std::u16string warning = kv::fill_format(localised(text_id::kOldVersionWarning), {run.driver.installed_version, kv::from_marked(run.settings.warning_version)});
      if (kv::message_box(warning, localised(text_id::kWarningCaption), MB_OKCANCEL | MB_ICONWARNING) == IDCANCEL)
        end_run(RunOutcome::cancelled);
    }
  }
  engine::run.paths.install_dir = run.driver.existing_folder;
}

void choose_installation_folder() {
  std::u16string setting = run.settings.default_installation_folder;
  auto named = (kv::istarts_with(setting, u"HKLM\\") || kv::istarts_with(setting, u"HKCU\\"))
                   ? kv::parse_registry_value_path(setting)
                   : std::nullopt;
  if (named) {
    std::u16string folder = read_registry_value_text(*named, kv::RegView::wow64_64);
    if (folder.empty())
      refuse(kv::utf8_to_utf16("Failed to obtain installation path from \"") + setting + u"\"");
    if (!kv::folder_exists(folder))
      refuse(u"Installation path \"" + folder + u"\" obtained from \"" + setting + u"\" does not exist.");
    engine::run.paths.install_dir = folder;
    return;
  }
  if (run.driver.reinstall) {
    choose_existing_folder();
    return;
  }
  std::u16string folder;
  if (!run.modes.folder_override.empty()) folder = run.modes.folder_override;
  else if (!run.driver.master_folder.empty()) folder = run.driver.master_folder;
  else
    folder = default_folder_text(setting, run.placeholders.product,
                                 kv::ascii_to_utf16(kv::os_display_name(kv::os_version())), run.settings.Bitness);
  folder = expanded(folder);
  while (folder.size() > 3 && folder.back() == u'\\') folder.pop_back();
  engine::run.paths.install_dir = folder;
  if (run.modes.automatic || !run.settings.ProductFlags.has_low(flags_low::kDestinationPage)) {
    steps::create_installation_folder(folder);
  } else {
    run.driver.required_space =
        integration::installed_bytes(run.installation.head.data_sizes) + run.settings.extra_space;
    steps::destination_page();
  }
}

// --- Step 20: the folders of the run.

// Leaving before the run completed takes back what it changed, and the
// installation folder's levels it made; the log of such a run stays in the
// temporary folder.
void roll_back_run() {
  if (!engine::journal.open) return;  // the run completed
  engine::roll_back();
  steps::remove_created_folders();
  engine::keep_run_log_in_temp(run.driver.reinstall);
}

// From the progress window on, the run changes the machine.
void open_rollback() {
  engine::open_journal();
  run.exit_hooks.roll_back_unfinished_run = roll_back_run;
}

void prepare_folders() {
  engine::PathRunValues& values = engine::run.paths;
  steps::status(text_id::kCreatingFolders, 1);
  const std::u16string& install = values.install_dir;
  if (DWORD error = kv::create_folder_chain(install); error == ERROR_SUCCESS)
    uninstall::add_to_removal_list_w(uninstall::uninstall_data, install, uninstall::RemovalKind::directory);
  // The levels above it that this run made go with it at uninstallation.
  for (const std::u16string& level : run.driver.created_folders)
    if (!kv::same_path(level, install))
      uninstall::add_to_removal_list_w(uninstall::uninstall_data, level, uninstall::RemovalKind::directory);
  values.uninstall_dir = kv::join_path(install, run.settings.UninstallSubdir);
  if (DWORD error = engine::create_journalled_folder(values.uninstall_dir); error != ERROR_SUCCESS)
    engine::log_wide_pieces({u"Failed to create uninstall data folder \"", values.uninstall_dir, u"\": ",
                             kv::system_error_text(error), u"\r\n"});
  else if (values.uninstall_dir != install)
    uninstall::add_to_removal_list_w(uninstall::uninstall_data, values.uninstall_dir, uninstall::RemovalKind::directory);

  if (values.portable && !run.settings.portable_shared_subfolder.empty()) {
    values.shared_dir = kv::join_path(install, run.settings.portable_shared_subfolder);
  } else {
    std::u16string name = run.settings.SharedPath;
    if (name.empty()) name = run.settings.Publisher.empty() ? run.placeholders.product : run.settings.Publisher;
    values.shared_dir = expanded(kv::join_path(shared_base_variable(run.settings.shared_folder_base), name));
  }
  // The completion takes it away again when nothing was installed there.
  if (!values.shared_dir.empty()) {
    if (DWORD error = engine::create_journalled_folder(values.shared_dir); error != ERROR_SUCCESS)
      engine::log_wide_pieces({u"Failed to create shared folder \"", values.shared_dir, u"\": ",
                               kv::system_error_text(error), u"\r\n"});
  }
  if (run.settings.ProductFlags.has_high(flags_high::kGrantFolderRights)) {
    steps::grant_rights(install);
    if (run.settings.ProductFlags.has_high(flags_high::kGrantSharedFolderRights)) steps::grant_rights(values.shared_dir);
  }
}

// --- Step 17: the start-menu folder and the shortcut folders.

void choose_start_menu_folder() {
  engine::PathRunValues& values = engine::run.paths;
  std::u16string group = run.settings.ProductStartMenu.empty() ? run.placeholders.product
                                                           : expand_placeholders(run.settings.ProductStartMenu, run.placeholders);
  if (run.driver.reinstall && !run.driver.installed_start_menu.empty()) group = run.driver.installed_start_menu;
  values.start_menu_folder = group;
  values.shortcuts_for_all_users = run.settings.ShortcutMode == 1;
  std::u16string desktop_folder = run.settings.DesktopFolder;
  if (desktop_folder.empty() && run.settings.ProductFlags.has_high(flags_high::kDesktopFolderIsProductName))
    desktop_folder = run.placeholders.product;
  values.desktop_shortcuts =
      kv::join_path(engine::path_variable(values.shortcuts_for_all_users ? engine::PathVar::DesktopAllDir : engine::PathVar::DesktopDir),
                desktop_folder);
  if (!run.driver.reinstall) steps::start_menu_page();
}

void fill_run_values() {
  engine::PathRunValues& values = engine::run.paths;
  values.product_name = run.placeholders.product;
  values.company_name = run.settings.Publisher;
  values.product_version = run.settings.DisplayVersion;
  values.bitness = run.settings.Bitness;
  values.old_version = run.driver.installed_version;
}

}  // namespace

void run_installation() {
  steps::prepare_texts();
  steps::open_wizard();
  fill_run_values();  // the start address's %version%
  integration::send_notification(run.settings.start_address);
  read_head_and_uninstaller_image();
  steps::language_page();
  steps::keep_uninstall_texts();
  check_platform();
  fill_run_values();
  check_update_only();
  check_single_instance();
  find_existing_installation();
  steps::greeting_page();
  steps::password_page();
  steps::licence_and_readme_pages();
  steps::close_applications();
  choose_installation_folder();
  engine::run.paths.portable = steps::on_removable_drive(engine::run.paths.install_dir);
  fill_run_values();
  choose_start_menu_folder();
  open_rollback();
  steps::begin_installation_proper();
  steps::restore_point();
  prepare_folders();
  steps::run_installation_batches();
  steps::status(text_id::kPreparingToInstall, 2);
  steps::verify_archive();
  steps::conditional_deletions();
  steps::install_files();
  steps::after_files();
  steps::completion();
  engine::complete_journal();
  end_run(run.driver.restart_pending ? RunOutcome::restart_needed : RunOutcome::completed);
}

}  // namespace setup
