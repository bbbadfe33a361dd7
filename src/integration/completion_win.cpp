#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "batch_file.h"
#include "batch_runner.h"
#include "child_process.h"
#include "command_line.h"
#include "completion.h"
#include "corrupt_installer.h"
#include "crash_guard.h"
#include "dialogs.h"
#include "driver_state.h"
#include "engine_run.h"
#include "file_install_lists.h"
#include "file_destination.h"
#include "file_io_win.h"
#include "folders_win.h"
#include "install_log.h"
#include "install_log_win.h"
#include "installation_data.h"
#include "integration_run.h"
#include "localised.h"
#include "notification_requests.h"
#include "path_environment.h"
#include "path_variables.h"
#include "path_variables_resolve.h"
#include "path_variables_win.h"
#include "paths.h"
#include "reboot_operations.h"
#include "run_modes.h"
#include "restore_point.h"
#include "run_state.h"
#include "system_restart.h"
#include "system_text_win.h"
#include "text.h"
#include "text_ids.h"
#include "uninstall_data.h"
#include "uninstall_data_file.h"
#include "uninstall_key.h"
#include "uninstaller_placement.h"
#include "win_handles.h"

namespace integration {
namespace {

using setup::flags2::kLogPostInstallBatch;
using setup::flags2::kRestorePoint;
using setup::flags2::kStartApplicationAsProcess;
using engine::expanded;
namespace low = setup::flags_low;
namespace high = setup::flags_high;

constexpr char16_t kBackgroundBitmapName[] = u"Installer Background.bmp";
constexpr char16_t kProductIconName[] = u"product.ico";
constexpr char16_t kRebootMarkerName[] = u"reboot.dat";

engine::PathRunValues& paths() { return engine::run.paths; }

void step_text(const std::u16string& text) { setup::show_step_text(text); }
void progress(int percent) { setup::post_progress(percent); }
// A path in the step text, unless the author keeps paths out of it.
void path_step_text(const std::u16string& path) {
  if (!setup::run.settings.ProductFlags.has_high(high::kNoPathsInStepText)) step_text(path);
}

void record_file(const std::u16string& path) {
  uninstall::add_to_removal_list_w(uninstall::uninstall_data, path, uninstall::RemovalKind::file);
}

bool reboot_required() {
  return setup::run.settings.ProductFlags.has_low(low::kRebootRequired) || engine::run.reboot.reboot_required;
}

// A target of the final page: relative ones lie in the installation folder.
std::u16string in_install_folder(const std::u16string& path) {
  return kv::is_absolute_path(path) ? path : kv::join_path(paths().install_dir, path);
}

// Appends to Install.log after it was finished (UTF-8, like the rest of it).
void append_to_install_log(const std::u16string& text) {
  kv::UniqueFile file(CreateFileW(kv::as_wide(engine::install_log_path()), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  LARGE_INTEGER size{};
  GetFileSizeEx(file.get(), &size);
  std::string bytes = size.QuadPart == 0 ? std::string("\xEF\xBB\xBF") : std::string();
  bytes += engine::wide_to_utf8(text);
  DWORD written = 0;
  WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

bool start_process(const std::u16string& command, DWORD& error) {
  kv::ChildProcess started = kv::ChildProcess::start(command, {.working_folder = paths().install_dir});
  error = started.start_error();
  return bool(started);
}

bool shell_open(const std::u16string& target) {
  auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", kv::as_wide(target), nullptr,
                                                        kv::as_wide(paths().install_dir), SW_SHOWNORMAL));
  return result > 32;
}

// --- Steps 2 to 5: the product's documents and the PATH.

void write_background_bitmap() {
  if (!setup::run.settings.ProductFlags.has_low(low::kBackgroundBitmap) || setup::run.settings.background_bitmap.empty()) return;
  std::u16string path = kv::join_path(paths().uninstall_dir, kBackgroundBitmapName);
  path_step_text(path);
  if (write_whole_file(path, setup::run.settings.background_bitmap) == ERROR_SUCCESS) record_file(path);
}

void write_documents(const std::vector<std::string>& texts, std::u16string_view stem) {
  for (const DocumentFile& document : document_files(texts, stem)) {
    std::u16string path = kv::join_path(paths().install_dir, document.name);
    path_step_text(path);
    if (write_whole_file(path, texts[document.index]) == ERROR_SUCCESS) record_file(path);
  }
}

// --- Step 7: the uninstaller and the uninstall key.

std::u16string written_product_icon() {
  if (setup::run.settings.product_icon.empty()) return {};
  std::u16string path = kv::join_path(paths().uninstall_dir, kProductIconName);
  if (write_whole_file(path, setup::run.settings.product_icon) != ERROR_SUCCESS) return {};
  record_file(path);
  return path;
}

CalendarDate today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay};
}

void register_uninstaller(const std::vector<std::uint8_t>& uninstaller_image) {
  place_uninstaller(uninstaller_image);

  std::optional<std::vector<UninstallValue>> extra =
      plan_extra_values(setup::run.settings.extra_uninstall_values, [](const std::u16string& text) { return expanded(text); });
  if (!extra) setup::corrupt_installer(200);

  UninstallKeyFacts facts;
  facts.uninstaller_path = run.uninstaller.path;
  facts.uninstall_argument = run.uninstaller.argument;
  facts.product_name = paths().product_name;
  facts.installer_path = setup::run.installation.path.empty() ? kv::module_file_name() : setup::run.installation.path;
  facts.install_folder = paths().install_dir;
  facts.product_icon_path = written_product_icon();
  facts.start_menu_folder = paths().start_menu_folder;
  facts.shared_folder = paths().shared_dir;
  facts.desktop_folder = setup::run.settings.DesktopFolder;
  if (facts.desktop_folder.empty() && setup::run.settings.ProductFlags.has_high(high::kDesktopFolderIsProductName))
    facts.desktop_folder = paths().product_name;
  facts.display_title = setup::run.settings.DisplayTitle.empty() ? setup::localised(setup::text_id::kWizardCaption) : setup::run.settings.DisplayTitle;
  facts.product_fonts = engine::product_fonts_value(engine::run.lists.fonts);
  facts.shared_files = engine::shared_files_value(engine::run.lists.reference_counts);
  facts.installed_bytes = installed_bytes(setup::run.installation.head.data_sizes);
  facts.flags2 = setup::run.installation.head.ProductFlags2;
  facts.today = today();

  write_uninstall_key(uninstall_key_name(setup::run.settings, paths().product_name), uninstall_key_values(setup::run.settings, facts, *extra),
                      kv::from_marked(setup::run.settings.install_path_registry_value), paths().install_dir);
}

// --- Steps 8 and 10.

void leave_reboot_marker() {
  std::u16string path = kv::join_path(paths().install_dir, kRebootMarkerName);
  // Gone with the next restart: its presence tells that one is pending.
  if (write_whole_file(path, std::string_view()) == ERROR_SUCCESS) engine::delete_at_reboot(path);
}

void save_uninstall_data() {
  std::u16string path = uninstall::uninstall_data_path(paths().install_dir, setup::run.settings.UninstallSubdir);
  if (uninstall::write_uninstall_data(uninstall::uninstall_data, path)) return;
  DWORD error = GetLastError();
  engine::error_report_append(setup::localised(setup::text_id::kCannotWriteFile) + u" " + path + u"\r\n" + system_error_text(error) + u"\r\n\r\n");
}

// --- Steps 13, 14 and 20.

void notify_desktop_changed() {
  std::u16string desktop =
      engine::path_variable(setup::run.settings.ShortcutMode == 1 ? engine::PathVar::DesktopAllDir : engine::PathVar::DesktopDir);
  SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW, kv::as_wide(desktop), nullptr);
}

void commit_restore_point(std::int64_t sequence) {
  if (!(setup::run.installation.head.ProductFlags2 & kRestorePoint)) return;
  if (!kv::commit_restore_point(sequence)) engine::log_text("Failed to commit restore point.\r\n");
}

// --- Step 16 and 17.

void finish_install_log(bool reinstall) {
  engine::LogRunSettings& log = engine::run.log.settings;
  log.product_flags_low = setup::run.settings.ProductFlags.low | (reboot_required() ? low::kRebootRequired : 0);
  log.product_flags_high = setup::run.settings.ProductFlags.high;
  engine::finish_log(engine::run.log.error_report, reinstall, true);
}

bool decide_restart() {
  switch (restart_choice(reboot_required(), setup::run.modes.automatic,
                         setup::run.settings.ProductFlags.has_high(high::kAlwaysAskRestart))) {
    case RestartChoice::none: return false;
    case RestartChoice::restart: return true;
    case RestartChoice::ask: return kv::question_box(setup::localised(setup::text_id::kRestartQuestion), setup::localised(setup::text_id::kWarningCaption));
  }
  return false;
}

// --- Step 19: empty folders of the run go.

// --- Steps 23 and 24.

void launch_on_exit() {
  if (!engine::run.log.error_report.empty() || setup::run.modes.run_after.empty()) return;
  DWORD error = ERROR_SUCCESS;
  if (!start_process(setup::run.modes.run_after, error))
    append_to_install_log(u"Failed to launch command: " + setup::run.modes.run_after + u"\r\n" + system_error_text(error) +
                          u"\r\n");
}

void start_application(const std::u16string& application) {
  bool as_process = setup::run.installation.head.ProductFlags2 & kStartApplicationAsProcess;
  if (!as_process && shell_open(application)) return;
  DWORD error = ERROR_SUCCESS;
  if (!start_process(application, error))
    append_to_install_log(u"Failed to launch app: " + application + u"\r\n" + system_error_text(error) + u"\r\n");
}

void run_final_actions() {
  const SummaryChoices& chosen = run.summary;
  FinalActionTargets targets = final_action_targets(setup::run.settings);
  if (chosen.open_folder && !targets.folder.empty()) shell_open(in_install_folder(expanded(targets.folder)));
  if (chosen.start_application && !targets.application.empty())
    start_application(in_install_folder(expanded(targets.application)));
  if (chosen.show_log) engine::show_log();
  if (chosen.open_document && !targets.document.empty()) shell_open(in_install_folder(expanded(targets.document)));
}

}  // namespace

void run_completion(setup::DriverState& driver) {
  const bool registers_uninstaller = setup::run.settings.ProductFlags.has_low(low::kRegisterUninstaller);
  step_text(setup::localised(setup::text_id::kCompleting));
  progress(98);
  write_background_bitmap();
  if (setup::run.settings.ProductFlags.has_high(high::kWriteReadmeFiles)) write_documents(setup::run.settings.readme_texts, u"readme");
  if (setup::run.settings.ProductFlags.has_high(high::kWriteLicenceFiles)) write_documents(setup::run.settings.licence_texts, u"eula");
  if (setup::run.settings.ProductFlags.has_low(low::kAddToPath))
    // As stored for the uninstaller, which takes the same folder out again.
    change_system_path(PathChange::add, setup::run.settings.AddToPathSubfolder, paths().install_dir);
  progress(99);
  if (registers_uninstaller) register_uninstaller(driver.uninstaller_image);
  if (setup::run.settings.ProductFlags.has_high(high::kLeaveRebootMarker)) leave_reboot_marker();
  step_text(setup::localised(setup::text_id::kFinishing));
  progress(100);
  if (registers_uninstaller) save_uninstall_data();

  run_batch(append_extra_commands(setup::run.settings.post_installation_batch, setup::run.modes.extra_batch[setup::kPostInstallBatch]),
            setup::run.settings.ProductFlags.has_low(low::kPostInstallBatchHidden),
            setup::run.installation.head.ProductFlags2 & kLogPostInstallBatch ? "Post-Installation Batch" : "");
  send_notification(completion_address(setup::run.settings, driver.upgrade, driver.downgrade, driver.reinstall));
  notify_desktop_changed();
  commit_restore_point(driver.restore_point_sequence);

  setup::close_progress_window();
  if (!setup::run.modes.run_after.empty()) engine::log_wide_pieces({u"Launch on exit: ", setup::run.modes.run_after, u"\r\n"});
  finish_install_log(driver.reinstall);
  const bool restart = decide_restart();
  driver.restart_pending = reboot_required() && !restart;

  run_batch(append_extra_commands(setup::run.settings.installation_exit_batch, setup::run.modes.extra_batch[setup::kExitBatch]),
            setup::run.settings.ProductFlags.has_low(low::kExitBatchHidden));
  kv::remove_empty_folder(paths().shared_dir);
  kv::remove_empty_folder(paths().uninstall_dir);
  kv::remove_empty_folder(paths().install_dir);
  driver.redirection.end();

  if (restart) {
    if (!kv::restart_system()) driver.restart_pending = true;
    return;
  }
  SetCurrentDirectoryW(kv::as_wide(paths().install_dir));
  launch_on_exit();
  run_final_actions();
}

}  // namespace integration
