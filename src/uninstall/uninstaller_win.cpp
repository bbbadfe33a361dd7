// The uninstall run: opening the product, the confirmation, the removal in
// its fixed order and the end of the run.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "batch_runner.h"
#include "child_process.h"
#include "close_applications.h"
#include "conditional_deletion.h"
#include "dialogs.h"
#include "engine_run.h"
#include "exit_routine.h"
#include "folders_win.h"
#include "install_log.h"
#include "installer_ui.h"
#include "kv_core.h"
#include "path_environment.h"
#include "path_variables_win.h"
#include "page_ids.h"
#include "paths.h"
#include "pending_cleanup.h"
#include "registry.h"
#include "removal_order.h"
#include "run_status.h"
#include "run_modes.h"
#include "run_state.h"
#include "system_restart.h"
#include "text_ids.h"
#include "uninstall_data_file.h"
#include "uninstall_key_win.h"
#include "uninstall_records.h"
#include "uninstaller_win.h"
#include "win_handles.h"
#include "wizard_windows.h"
#include "wow64_redirection.h"

namespace uninstall {

UninstallRun uninstall_run;

namespace detail {
namespace {

constexpr REGSAM kReadWrite = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS;
constexpr DWORD kMinimumStepMilliseconds = 700;
constexpr DWORD kStepWaitSlice = 50;

// What the run holds between its phases.
struct RunHandles {
  kv::UniqueRegKey key;  // the uninstall key, read and write
  std::u16string data_path;  // Uninstall.DAT
  kv::Wow64RedirectionOff redirection;  // off for a 64-bit product's files
  DWORD step_started = 0;
};
RunHandles g_run;

// The common error box of the opening: shown unless automatic (then only
// with the flag that asks for it); a text not shown goes to the trace.
void opening_error(const std::u16string& message) {
  if (!setup::run.modes.automatic || uninstall_run.has_high(setup::flags_high::kUninstallErrorsWhenAutomatic)) {
    std::u16string caption = text(setup::text_id::kErrorCaption);
    kv::message_box(message, caption.empty() ? u"Error" : caption, MB_OK | MB_ICONERROR);
  } else {
    kv::trace(message);
  }
}

HWND main_window() { return setup::program.main_window; }
std::u16string button_caption(int button_id) {
  const int text_number = setup::message_box_button_text(button_id);
  return text_number < 0 ? std::u16string() : text(text_number);
}
std::u16string default_caption() {
  const std::u16string& title = text(setup::text_id::kUninstallTitle);
  return title.empty() ? uninstall_run.display_name : title;
}

// The folders the key's values name, and the path variables of the run:
// its batches, firewall programs and conditional patterns see the
// installation's folders.
void complete_run_values() {
  UninstallRun& run = uninstall_run;
  run.uninstall_folder = kv::join_path(run.install_folder, kv::without_trailing_separators(run.uninstall_subdir));
  if (run.has_low(setup::flags_low::kBackgroundBitmap))
    run.display.background_bitmap = kv::join_path(run.uninstall_folder, u"Installer Background.bmp");
  using engine::PathVar;
  std::u16string desktop =
      engine::path_variable(run.shortcut_mode == 1 ? PathVar::DesktopAllDir : PathVar::DesktopDir);
  run.desktop_folder = kv::join_path(desktop, run.desktop_folder_name);

  engine::PathRunValues& values = engine::run.paths;
  values.install_dir = run.install_folder;
  values.uninstall_dir = run.uninstall_folder;
  values.shared_dir = run.shared_path;
  values.start_menu_folder = run.product_start_menu;
  values.desktop_shortcuts = run.desktop_folder;
  values.shortcuts_for_all_users = run.shortcut_mode == 1;
  values.product_name = run.display_name;
  values.company_name = run.publisher;
  values.product_version = run.display_version;
  values.bitness = run.product_64bit ? 1 : 0;
}

void use_uninstaller_icon() {
  std::u16string icon = kv::join_path(uninstall_run.uninstall_folder, u"uninstall.ico");
  if (!kv::path_exists(icon)) return;
  auto load = [&icon](int metric_x, int metric_y) {
    return static_cast<HICON>(LoadImageW(nullptr, kv::as_wide(icon), IMAGE_ICON, GetSystemMetrics(metric_x),
                                         GetSystemMetrics(metric_y), LR_LOADFROMFILE));
  };
  if (HICON large = load(SM_CXICON, SM_CYICON)) setup::program.large_icon = large;
  if (HICON small = load(SM_CXSMICON, SM_CYSMICON)) setup::program.small_icon = small;
}

std::u16string wizard_text(int id) { return text(id); }

// The uninstaller's windows speak the installation's language, from the
// texts Uninstall.DAT keeps.
void prepare_uninstall_wizard() {
  wizard::WizardRun values;
  values.text = wizard_text;
  values.uninstall = true;
  values.header_text = uninstall_data.header_text;
  values.button_icons = (uninstall_run.flags2 & setup::flags2::kButtonIcons) != 0;
  wizard::prepare_wizard(values);
}

// Finds the product and reads everything the run needs; false (after its
// message) when the run cannot go on.
bool open_product(const std::u16string& product_name) {
  UninstallRun& run = uninstall_run;
  run.product_name = product_name;

  LONG error = ERROR_SUCCESS;
  kv::UniqueRegKey reading = integration::open_uninstall_key(product_name, KEY_READ, &error);
  if (!reading) {
    opening_error(error == ERROR_ACCESS_DENIED
                      ? u"Permission denied.  Please run the uninstaller with administrator rights."
                      : kv::fill_format(u"No product named '%s' is installed.", {product_name}));
    return false;
  }
  g_run.key = integration::open_uninstall_key(product_name, kReadWrite);
  if (!g_run.key) {
    opening_error(kv::fill_format(
        u"Unable to access the uninstall information for:\r\n%s\r\n\r\nThe uninstallation cannot be performed.",
        {product_name}));
    return false;
  }
  static_cast<integration::InstalledProduct&>(run) = integration::read_installed_product(g_run.key.get());
  setup::run.deployment_exit_codes = run.flags2 & setup::flags2::kDeploymentExitCodes;
  if (run.display_name.empty()) run.display_name = product_name;
  if (run.install_folder.empty()) {
    opening_error(kv::fill_format(
        u"The uninstall information for %s is corrupt.\r\n\r\nThe uninstallation cannot be performed.",
        {run.display_name}));
    return false;
  }

  if (run.has_low(setup::flags_low::kAutomaticUninstall)) setup::run.modes.automatic = true;
  if (run.product_64bit && !g_run.redirection.begin()) {
    opening_error(u"Wow64DisableWow64FsRedirection() failed");
    return false;
  }

  complete_run_values();
  use_uninstaller_icon();
  if (!run.has_low(setup::flags_low::kNoBackgroundWindow) && !setup::run.modes.silent)
    wizard::show_background_window(wizard::uninstall_background_scene(run.display), setup::run.modes.minimised);

  g_run.data_path = uninstall_data_path(run.install_folder, run.uninstall_subdir);
  if (std::uint32_t code = read_uninstall_data(g_run.data_path, uninstall_data)) {
    opening_error(kv::fill_format(
        u"The uninstall information for %s could not be loaded.\r\n\r\nFilepath: %s\r\nCode %d: %s",
        {run.display_name, g_run.data_path, kv::to_u16(code), system_error_text(code)}));
    return false;
  }
  kv::set_message_box_look(
      {main_window, button_caption, default_caption, setup::run_window_icon, setup::run_button_icon});
  prepare_uninstall_wizard();
  return true;
}

[[noreturn]] void abort_run() {
  if (!automatic()) kv::message_box(text(setup::text_id::kUninstallCanceled), text(setup::text_id::kCanceledCaption), MB_OK | MB_ICONEXCLAMATION);
  setup::end_run(setup::RunOutcome::cancelled);
}

// The uninstaller's passes ask with its own texts; false when cancelled.
bool close_programs(std::uint8_t phase) {
  setup::CloseTexts texts{text(setup::text_id::kUninstallCloseProgramQuestion), text(setup::text_id::kUninstallTitle)};
  return setup::close_applications(uninstall_data.close_rules, phase, texts);
}

// The confirmation; false when the user took the support offer instead.
bool confirm() {
  if (!close_programs(CloseRule::kBeforeUninstallQuestion)) abort_run();
  if (!automatic()) {
    if (!ask(text(setup::text_id::kUninstallQuestion), text(setup::text_id::kUninstallTitle)))
      setup::end_run(setup::RunOutcome::cancelled);
    if (auto address = support_address(kv::ansi_to_utf16(uninstall_run.support_offer))) {
      if (wizard::show_support_offer_page() == IDC_FORWARD) {
        kv::Wow64RedirectionPause pause;
        ShellExecuteW(nullptr, L"open", kv::as_wide(*address), nullptr, nullptr, SW_SHOWNORMAL);
        return false;
      }
    }
  }
  if (!close_programs(CloseRule::kAfterUninstallQuestion)) abort_run();
  if (uninstall_run.has_high(setup::flags_high::kUninstallProgressWindow) && !setup::run.modes.silent) {
    wizard::ProgressOptions options;
    options.cancel_enabled = false;  // no way back once the removal has begun
    wizard::open_progress_dialog(options);
  }
  return true;
}

bool no_errors() { return engine::run.log.error_report.empty(); }

void run_first_batch(HKEY key) {
  if (uninstall_run.uninstall_batch1.empty()) return;
  integration::run_batch(kv::utf16_to_cp1252(kv::ansi_to_utf16(uninstall_run.uninstall_batch1)),
                   uninstall_run.has_low(setup::flags_low::kUninstallBatch1Hidden));
  kv::reg_delete_value(key, integration::key_value::kUninstallBatch1);
}

void finish_without_errors(HKEY key) {
  DeleteFileW(kv::as_wide(g_run.data_path));
  if (uninstall_run.has_low(setup::flags_low::kAddToPath))
    integration::change_system_path(integration::PathChange::remove, uninstall_run.add_to_path_subfolder,
                                   uninstall_run.install_folder);
  if (!uninstall_run.uninstall_batch2.empty()) {
    integration::run_batch(kv::utf16_to_cp1252(kv::ansi_to_utf16(uninstall_run.uninstall_batch2)),
                     uninstall_run.has_low(setup::flags_low::kUninstallBatch2Hidden));
    kv::reg_delete_value(key, integration::key_value::kUninstallBatch2);
  }
  kv::reg_delete_tree(HKEY_LOCAL_MACHINE, integration::uninstall_key_path(uninstall_run.product_name),
                      integration::kUninstallKeyView);
}

void notify_programs_folder_changed() {
  using engine::PathVar;
  std::u16string programs =
      engine::path_variable(uninstall_run.shortcut_mode == 1 ? PathVar::SMProgramsAllDir : PathVar::SMProgramsDir);
  kv::Wow64RedirectionPause pause;
  if (!programs.empty()) SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW, kv::as_wide(programs), nullptr);
}

// The removal, steps in their fixed order.
void remove_everything() {
  HKEY key = g_run.key.get();
  run_first_batch(key);
  step_start(setup::text_id::kRemovingAssociations);
  progress(1);
  restore_file_associations();
  step_end();

  step_start(setup::text_id::kRemovingFonts);
  progress(3);
  if (!uninstall_run.product_fonts.empty()) remove_fonts(key);
  step_end();

  step_start(setup::text_id::kRemovingSharedFiles);
  progress(5);
  if (!uninstall_run.has_high(setup::flags_high::kKeepInstallLogAtUninstall))
    DeleteFileW(kv::as_wide(kv::join_path(uninstall_run.uninstall_folder, u"Install.log")));
  remove_shared_files(key);
  unpin_taskbar_items();
  step_end();

  remove_msi_packages();

  restart_step_clock();
  progress(10);
  // From here on the removal list collects only what fails.
  clear_uninstall_data(uninstall_data);
  walk_removal_list();
  progress(92);
  clean_pending_operations(uninstall_run.deleted_files, CleanupPhase::uninstallation);
  if (delete_conditional_files(uninstall_data.conditional_deletions, CleanupPhase::uninstallation))
    uninstall_run.flags_high |= setup::flags_high::kUninstallRestart;
  progress(93);
  remove_directories();
  write_uninstall_data(uninstall_data, g_run.data_path);
  clear_uninstall_data(uninstall_data);
  remove_start_menu_folder();
  step_end();

  step_start(setup::text_id::kRemovingRegistryEntries);
  progress(95);
  remove_product_registry(key);
  remove_registry_items();
  progress(96);
  remove_firewall_exceptions();
  progress(97);
  remove_driver_packages();
  delete_installation_folder();
  progress(98);
  if (kv::is_absolute_path(uninstall_run.shared_path)) kv::remove_empty_folder(uninstall_run.shared_path);

  if (no_errors()) finish_without_errors(key);
  g_run.key.reset();
  notify_programs_folder_changed();
  progress(100);
  g_run.redirection.end();
  if (uninstall_run.has_high(setup::flags_high::kUninstallProgressWindow)) {
    step_end();
    wizard::close_progress_dialog();
  }
}

void start_program_after(const std::u16string& command) {
  if (command.empty()) return;
  // The program is the command's first token (the whole command when it
  // names a file); its folder, when it exists, is the working folder.
  std::u16string program, line = command;
  if (command.starts_with(u'"')) {
    std::size_t close = command.find(u'"', 1);
    program = command.substr(1, close == std::u16string::npos ? std::u16string::npos : close - 1);
  } else if (kv::path_exists(command)) {
    program = command;
    line = u"\"" + command + u"\"";
  } else {
    program = command.substr(0, command.find(u' '));
  }
  std::size_t cut = program.find_last_of(u"\\/");
  std::u16string folder = cut == std::u16string::npos ? std::u16string() : program.substr(0, cut);
  if (folder.size() == 2 && folder[1] == u':') folder += u'\\';
  if (!kv::path_exists(folder)) folder.clear();
  kv::ChildProcess::start(line, {.working_folder = folder});
}

// The end of the run: the summary or the completion message, the restart
// and the program to start afterwards.
setup::RunOutcome finish() {
  if (!no_errors()) {
    std::u16string summary = kv::fill_format(text(setup::text_id::kUninstallFailures), {kv::ansi_to_utf16(engine::run.log.error_report)});
    if (!automatic())
      kv::message_box(summary, text(setup::text_id::kWarningCaption), MB_OK | MB_ICONWARNING);
    else
      kv::trace(summary);
    return setup::RunOutcome::incomplete;
  }
  if (!automatic() && (uninstall_run.flags2 & setup::flags2::kUninstallCompletionMessage))
    kv::message_box(text(setup::text_id::kUninstallComplete), text(setup::text_id::kUninstallCompleteCaption), MB_OK | MB_ICONINFORMATION);
  bool restart_pending = false;
  if (uninstall_run.has_high(setup::flags_high::kUninstallRestart)) {
    const bool restart =
        automatic() || ask(text(setup::text_id::kUninstallRestartQuestion), text(setup::text_id::kWarningCaption));
    restart_pending = !(restart && kv::restart_system());
  }
  start_program_after(setup::run.modes.run_after);
  return restart_pending ? setup::RunOutcome::restart_needed : setup::RunOutcome::completed;
}

}  // namespace

const std::u16string& text(int id) { return uninstall_text(uninstall_data, id); }

bool ask(const std::u16string& question, const std::u16string& caption) {
  return kv::question_box(question, caption);
}

bool automatic() { return setup::run.modes.automatic; }

void step_start(int text_id) {
  g_run.step_started = GetTickCount();
  if (text_id) setup::show_step_text(text(text_id));
  kv::pump_messages();
}

void step_end() {
  if (automatic()) return;
  while (GetTickCount() - g_run.step_started < kMinimumStepMilliseconds) {
    kv::pump_messages();
    Sleep(kStepWaitSlice);
  }
}

void restart_step_clock() { g_run.step_started = GetTickCount(); }

void progress(int percent) {
  setup::post_progress(percent);
  kv::pump_messages();
}

void show_path(const std::u16string& path) {
  if (!uninstall_run.has_high(setup::flags_high::kNoPathsInStepText)) setup::show_step_text(path);
}

}  // namespace detail

setup::RunOutcome uninstall(const std::u16string& product_name) {
  // Everything of an earlier run in this process goes: the run starts from
  // the uninstall key and its data file alone.
  uninstall_run = UninstallRun{};
  uninstall_data = UninstallData{};
  engine::run.log.error_report.clear();
  detail::g_run.key.reset();
  detail::g_run.redirection.end();

  if (!detail::open_product(product_name)) {
    detail::g_run.redirection.end();
    return setup::RunOutcome::refused;
  }
  // The support offer taken instead of the removal.
  if (!detail::confirm()) {
    detail::g_run.redirection.end();
    return setup::RunOutcome::cancelled;
  }
  detail::remove_everything();
  return detail::finish();
}

}  // namespace uninstall
