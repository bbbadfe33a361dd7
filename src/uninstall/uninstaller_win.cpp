// The uninstall run: opening the product, the confirmation, the removal in
// its fixed order and the end of the run.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "background_window.h"
#include "batch_runner.h"
#include "close_applications.h"
#include "conditional_deletion.h"
#include "dialogs.h"
#include "engine_run.h"
#include "exit_routine.h"
#include "install_log.h"
#include "installer_ui.h"
#include "kv_core.h"
#include "pages.h"
#include "path_environment.h"
#include "path_variables_win.h"
#include "pending_cleanup.h"
#include "registry.h"
#include "progress_window.h"
#include "removal_order.h"
#include "run_status.h"
#include "run_modes.h"
#include "run_state.h"
#include "system_restart.h"
#include "uninstall_data_file.h"
#include "uninstall_key.h"
#include "uninstall_records.h"
#include "uninstaller_win.h"
#include "win_handles.h"

namespace uninstall {

UninstallRun uninstall_run;

namespace detail {
namespace {

using namespace uninstall_flags;

const std::u16string kUninstallRoot = std::u16string(integration::kUninstallKeyRoot) + u"\\";
// The uninstall key lives in the process's own view: the completion writes
// it there.
constexpr kv::RegView kKeyView = kv::RegView::native32;
constexpr REGSAM kReadWrite = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS;
constexpr DWORD kMinimumStepMilliseconds = 700;
constexpr DWORD kStepWaitSlice = 50;

// What the run holds between its phases.
struct RunHandles {
  kv::UniqueRegKey key;  // the uninstall key, read and write
  std::u16string key_path;
  std::u16string data_path;  // Uninstall.DAT
  PVOID redirection = nullptr;
  bool redirection_disabled = false;
  DWORD step_started = 0;
};
RunHandles g_run;


std::u16string read_wide(HKEY key, const char16_t* name) {
  return kv::reg_read_string(key, name).value_or(std::u16string());
}
std::string read_narrow(HKEY key, const char16_t* name) { return kv::utf16_to_ansi(read_wide(key, name)); }
std::uint32_t read_number(HKEY key, const char16_t* name, std::uint32_t fallback) {
  return kv::reg_read_dword(key, name).value_or(fallback);
}

// The common error box of the opening: shown unless automatic (then only
// with the flag that asks for it); a text not shown goes to the trace.
void opening_error(const std::u16string& message) {
  if (!setup::run.modes.automatic || uninstall_run.has_high(kHighErrorBoxWhenAutomatic)) {
    std::u16string caption = text(21);
    kv::message_box(message, caption.empty() ? u"Error" : caption, MB_OK | MB_ICONERROR, wizard::message_owner());
  } else {
    kv::trace(message);
  }
}

HWND main_window() { return setup::program.main_window; }
std::u16string button_caption(int number) { return text(number); }
std::u16string default_caption() {
  const std::u16string& title = text(55);
  return title.empty() ? uninstall_run.display_name : title;
}

void read_display_settings(HKEY key) {
  wizard::BackgroundLook& d = uninstall_run.display;
  d = wizard::BackgroundLook{};
  d.title = read_wide(key, u"DisplayTitle");
  if (auto size = kv::reg_read_string(key, u"TitleSize")) d.title_size = *size;
  if (auto colour = kv::reg_read_dword(key, u"TitleColor")) {
    d.title_color = *colour;
    d.title_color_set = true;
  }
  d.title_shadow = read_number(key, u"TitleShadow", 1);
  if (auto colour = kv::reg_read_dword(key, u"TopColor")) {
    d.top_color = *colour;
    d.top_color_set = true;
  }
  d.bottom_color = read_number(key, u"BottomColor", 0);
  d.mono_color = read_number(key, u"MonoColor", 1);
  d.title_position = read_number(key, u"TitlePosition", 0);
  d.title_font = read_narrow(key, u"TitleFont");
  if (auto taskbar = kv::reg_read_string(key, u"TaskbarText")) d.taskbar_text = *taskbar;
  d.copyright_text = read_wide(key, u"CopyrightText");
  d.copyright_font = read_narrow(key, u"CopyrightFont");
  if (auto size = kv::reg_read_string(key, u"CopyrightSize")) d.copyright_size = *size;
  d.copyright_color = read_narrow(key, u"CopyrightColor");
  d.copyright_position = read_number(key, u"CopyrightPos", 0);
  d.display_version = read_narrow(key, u"DisplayVersion");
  if (uninstall_run.has_low(kBackgroundBitmap)) {
    d.background_bitmap = join_folder(uninstall_run.uninstall_folder, u"Installer Background.bmp");
    d.bitmap_tpi = static_cast<std::int32_t>(read_number(key, u"BitmapTPI", 0xFFFFFFFF));
    d.stretch_mode = read_number(key, u"StretchMode", 0);
    d.bitmap_size = read_number(key, u"BitmapSize", 0);
  }
}

void read_other_values(HKEY key) {
  UninstallRun& run = uninstall_run;
  run.uninstall_subdir = read_wide(key, u"UninstallSubdir");
  run.uninstall_folder = join_folder(run.install_folder, without_trailing_backslash(run.uninstall_subdir));
  run.add_to_path_subfolder = read_wide(key, u"AddToPathSubfolder");
  run.product_fonts = read_narrow(key, u"ProductFonts");
  run.shortcut_mode = read_number(key, u"ShortcutMode", 0);
  run.notify_url = read_narrow(key, u"NotifyURL");
  run.support_offer = read_narrow(key, u"SupportOffer");
  run.shared_path = read_wide(key, u"SharedPath");
  run.product_start_menu = read_wide(key, u"ProductStartMenu");
  run.uninstall_batch1 = read_narrow(key, u"UninstallBatch1");
  run.uninstall_batch2 = read_narrow(key, u"UninstallBatch2");
  run.shared_files = read_narrow(key, u"SharedFiles");
  run.product_registry = read_wide(key, u"ProductRegistry");
  read_display_settings(key);

  using engine::PathVar;
  std::u16string desktop =
      engine::path_variable(run.shortcut_mode == 1 ? PathVar::DesktopAllDir : PathVar::DesktopDir);
  run.desktop_folder = join_folder(desktop, read_wide(key, u"DesktopFolder"));

  // Path variables of the uninstall run (its batches, firewall programs and
  // conditional patterns) see the installation's folders.
  engine::PathRunValues& values = engine::run.paths;
  values.install_dir = run.install_folder;
  values.uninstall_dir = run.uninstall_folder;
  values.shared_dir = run.shared_path;
  values.start_menu_folder = run.product_start_menu;
  values.desktop_shortcuts = run.desktop_folder;
  values.shortcuts_for_all_users = run.shortcut_mode == 1;
  values.product_name = run.display_name;
  values.company_name = read_wide(key, u"Publisher");
  values.product_version = kv::ansi_to_utf16(run.display.display_version);
  values.bitness = run.product_64bit ? 1 : 0;
}

void use_uninstaller_icon() {
  std::u16string icon = join_folder(uninstall_run.uninstall_folder, u"uninstall.ico");
  if (!path_exists(icon)) return;
  auto load = [&icon](int metric_x, int metric_y) {
    return static_cast<HICON>(LoadImageW(nullptr, kv::as_wide(icon), IMAGE_ICON, GetSystemMetrics(metric_x),
                                         GetSystemMetrics(metric_y), LR_LOADFROMFILE));
  };
  if (HICON large = load(SM_CXICON, SM_CYICON)) setup::program.large_icon = large;
  if (HICON small = load(SM_CXSMICON, SM_CYSMICON)) setup::program.small_icon = small;
}

bool switch_redirection_off() {
  using Disable = BOOL(WINAPI*)(PVOID*);
  static auto disable = reinterpret_cast<Disable>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "Wow64DisableWow64FsRedirection")));
  return disable && disable(&g_run.redirection);
}

void switch_redirection_on() {
  using Revert = BOOL(WINAPI*)(PVOID);
  static auto revert = reinterpret_cast<Revert>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "Wow64RevertWow64FsRedirection")));
  if (revert) revert(g_run.redirection);
}

bool disable_redirection() {
  g_run.redirection_disabled = switch_redirection_off();
  return g_run.redirection_disabled;
}

void restore_redirection() {
  if (!g_run.redirection_disabled) return;
  switch_redirection_on();
  g_run.redirection_disabled = false;
}

// Finds the product and reads everything the run needs; false (after its
// message) when the run cannot go on.
bool open_product(const std::u16string& product_name) {
  UninstallRun& run = uninstall_run;
  run.product_name = product_name;
  g_run.key_path = kUninstallRoot + product_name;

  LONG error = ERROR_SUCCESS;
  kv::UniqueRegKey reading = kv::reg_open(HKEY_LOCAL_MACHINE, g_run.key_path, KEY_READ, kKeyView, &error);
  if (!reading) {
    opening_error(error == ERROR_ACCESS_DENIED
                      ? u"Permission denied.  Please run the uninstaller with administrator rights."
                      : kv::fill_format(u"No product named '%s' is installed.", {product_name}));
    return false;
  }
  g_run.key = kv::reg_open(HKEY_LOCAL_MACHINE, g_run.key_path, kReadWrite, kKeyView);
  if (!g_run.key) {
    opening_error(kv::fill_format(
        u"Unable to access the uninstall information for:\r\n%s\r\n\r\nThe uninstallation cannot be performed.",
        {product_name}));
    return false;
  }
  HKEY key = g_run.key.get();

  run.display_name = read_wide(key, u"DisplayName");
  if (run.display_name.empty()) run.display_name = product_name;
  run.install_folder = read_wide(key, u"InstallLocation");
  if (run.install_folder.empty()) {
    opening_error(kv::fill_format(
        u"The uninstall information for %s is corrupt.\r\n\r\nThe uninstallation cannot be performed.",
        {run.display_name}));
    return false;
  }

  FlagWords flags = parse_product_flags(read_wide(key, u"ProductFlags"));
  run.flags_low = flags.low;
  run.flags_high = flags.high;
  run.flags2 = parse_product_flags2(read_wide(key, u"ProductFlags2"));
  run.product_64bit = read_number(key, u"Bitness", 0) == 1;
  if (run.has_low(kAutomatic)) setup::run.modes.automatic = true;
  if (run.product_64bit && !disable_redirection()) {
    opening_error(u"Wow64DisableWow64FsRedirection() failed");
    return false;
  }

  read_other_values(key);
  use_uninstaller_icon();
  if (!run.has_low(kNoBackgroundWindow) && !setup::run.modes.silent) wizard::create_background_window(run.display);

  g_run.data_path = uninstall_data_path(run.install_folder, run.uninstall_subdir);
  if (std::uint32_t code = read_uninstall_data(g_run.data_path, uninstall_data)) {
    opening_error(kv::fill_format(
        u"The uninstall information for %s could not be loaded.\r\n\r\nFilepath: %s\r\nCode %d: %s",
        {run.display_name, g_run.data_path, kv::to_u16(code), system_error_text(code)}));
    return false;
  }
  kv::set_message_box_look(
      {main_window, button_caption, default_caption, setup::run_window_icon, setup::run_button_icon});
  return true;
}

[[noreturn]] void abort_run() {
  if (!automatic()) kv::message_box(text(101), text(111), MB_OK | MB_ICONEXCLAMATION, wizard::message_owner());
  setup::exit_installer(1);
}

// The confirmation; false when the user took the support offer instead.
bool confirm() {
  if (!setup::close_applications(uninstall_data.close_rules, CloseRule::kBeforeUninstallQuestion)) abort_run();
  if (!automatic()) {
    if (!ask(text(53), text(55))) setup::exit_installer(1);
    if (auto address = support_address(kv::ansi_to_utf16(uninstall_run.support_offer))) {
      if (wizard::support_offer_page(*address)) {
        RedirectionPause pause;
        ShellExecuteW(nullptr, L"open", kv::as_wide(*address), nullptr, nullptr, SW_SHOWNORMAL);
        return false;
      }
    }
  }
  if (!setup::close_applications(uninstall_data.close_rules, CloseRule::kAfterUninstallQuestion)) abort_run();
  if (uninstall_run.has_high(kHighProgressWindow) && !setup::run.modes.silent) wizard::open_progress_window();
  return true;
}

bool no_errors() { return engine::run.log.error_report.empty(); }

void run_first_batch(HKEY key) {
  if (uninstall_run.uninstall_batch1.empty()) return;
  integration::run_batch(kv::utf16_to_cp1252(kv::ansi_to_utf16(uninstall_run.uninstall_batch1)),
                   uninstall_run.has_low(kFirstBatchHidden));
  kv::reg_delete_value(key, u"UninstallBatch1");
}

void finish_without_errors(HKEY key) {
  DeleteFileW(kv::as_wide(g_run.data_path));
  if (uninstall_run.has_low(kAddToPath))
    integration::change_system_path(integration::PathChange::remove, uninstall_run.add_to_path_subfolder,
                                   uninstall_run.install_folder);
  if (!uninstall_run.uninstall_batch2.empty()) {
    integration::run_batch(kv::utf16_to_cp1252(kv::ansi_to_utf16(uninstall_run.uninstall_batch2)),
                     uninstall_run.has_low(kSecondBatchHidden));
    kv::reg_delete_value(key, u"UninstallBatch2");
  }
  kv::reg_delete_tree(HKEY_LOCAL_MACHINE, g_run.key_path, kKeyView);
}

void notify_programs_folder_changed() {
  using engine::PathVar;
  std::u16string programs =
      engine::path_variable(uninstall_run.shortcut_mode == 1 ? PathVar::SMProgramsAllDir : PathVar::SMProgramsDir);
  RedirectionPause pause;
  if (!programs.empty()) SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW, kv::as_wide(programs), nullptr);
}

// The removal, steps in their fixed order.
void remove_everything() {
  HKEY key = g_run.key.get();
  run_first_batch(key);
  step_start(70);
  progress(1);
  restore_file_associations();
  step_end();

  step_start(67);
  progress(3);
  if (!uninstall_run.product_fonts.empty()) remove_fonts(key);
  step_end();

  step_start(68);
  progress(5);
  if (!uninstall_run.has_high(kHighKeepInstallLog))
    DeleteFileW(kv::as_wide(join_folder(uninstall_run.uninstall_folder, u"Install.log")));
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
    uninstall_run.flags_high |= kHighRestart;
  progress(93);
  remove_directories();
  write_uninstall_data(uninstall_data, g_run.data_path);
  clear_uninstall_data(uninstall_data);
  remove_start_menu_folder();
  step_end();

  step_start(69);
  progress(95);
  remove_product_registry(key);
  remove_registry_items();
  progress(96);
  remove_firewall_exceptions();
  progress(97);
  remove_driver_packages();
  delete_installation_folder();
  progress(98);
  if (is_absolute_path(uninstall_run.shared_path)) remove_empty_folder(uninstall_run.shared_path);

  if (no_errors()) finish_without_errors(key);
  g_run.key.reset();
  notify_programs_folder_changed();
  progress(100);
  restore_redirection();
  if (uninstall_run.has_high(kHighProgressWindow)) {
    step_end();
    wizard::close_progress_window();
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
  } else if (path_exists(command)) {
    program = command;
    line = u"\"" + command + u"\"";
  } else {
    program = command.substr(0, command.find(u' '));
  }
  std::size_t cut = program.find_last_of(u"\\/");
  std::u16string folder = cut == std::u16string::npos ? std::u16string() : program.substr(0, cut);
  if (folder.size() == 2 && folder[1] == u':') folder += u'\\';
  const bool folder_exists = !folder.empty() && path_exists(folder);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (CreateProcessW(nullptr, kv::as_wide(line), nullptr, nullptr, FALSE, 0, nullptr,
                     folder_exists ? kv::as_wide(folder) : nullptr, &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

// The end of the run: the summary or the completion message, the restart
// and the program to start afterwards.
bool finish() {
  HWND owner = wizard::message_owner();
  if (!no_errors()) {
    std::u16string summary = kv::fill_format(text(10), {kv::ansi_to_utf16(engine::run.log.error_report)});
    if (!automatic())
      kv::message_box(summary, text(20), MB_OK | MB_ICONWARNING, owner);
    else
      kv::trace(summary);
    return false;
  }
  if (!automatic() && (uninstall_run.flags2 & kFlags2CompletionMessage))
    kv::message_box(text(34), text(15), MB_OK | MB_ICONINFORMATION, owner);
  if (uninstall_run.has_high(kHighRestart) && (automatic() || ask(text(74), text(20)))) kv::restart_system();
  start_program_after(setup::run.modes.run_after);
  return true;
}

}  // namespace

RedirectionPause::RedirectionPause() : paused_(g_run.redirection_disabled) {
  if (paused_) switch_redirection_on();
}

RedirectionPause::~RedirectionPause() {
  if (paused_) switch_redirection_off();
}

const std::u16string& text(int id) { return uninstall_text(uninstall_data, id); }

bool ask(const std::u16string& question, const std::u16string& caption) {
  return kv::question_box(question, caption, wizard::message_owner());
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
  if (!uninstall_run.has_high(kHighNoPathsInStepText)) setup::show_step_text(path);
}

}  // namespace detail

bool uninstall(const std::u16string& product_name) {
  // Everything of an earlier run in this process goes: the run starts from
  // the uninstall key and its data file alone.
  uninstall_run = UninstallRun{};
  uninstall_data = UninstallData{};
  engine::run.log.error_report.clear();
  detail::g_run.key.reset();
  detail::g_run.redirection_disabled = false;

  if (!detail::open_product(product_name)) {
    detail::restore_redirection();
    return false;
  }
  if (!detail::confirm()) {
    detail::restore_redirection();
    return false;
  }
  detail::remove_everything();
  return detail::finish();
}

}  // namespace uninstall
