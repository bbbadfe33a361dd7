#include "progress_dialog_win.h"

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "dialogs.h"
#include "exit_routine.h"
#include "installer_ui.h"
#include "page_dialog_win.h"
#include "run_state.h"
#include "system_library.h"
#include "wizard_run.h"

namespace wizard {
namespace {

class ProgressPage final : public PageDialog {
 public:
  explicit ProgressPage(const ProgressOptions& options)
      : PageDialog(template_name(setup::StyledPage::progress, style_of(setup::StyledPage::progress)),
                   style_of(setup::StyledPage::progress), texts()),
        options_(options) {}

  void show_step(const std::u16string& step) {
    set_item_text(IDC_STEP, step);
    step_shown_ = GetTickCount();
  }
  void wait_minimum_display() const {
    for (;;) {
      DWORD shown = GetTickCount() - step_shown_;
      if (shown >= options_.minimum_display_ms) return;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, options_.minimum_display_ms - shown, QS_ALLINPUT);
      kv::pump_messages();
    }
  }

 private:
  static PageTexts texts() {
    return wizard::run.uninstall ? PageTexts{55, 71, 0, 49} : PageTexts{54, 39, 0, 49};
  }

  void retext() override {
    PageDialog::retext();
    set_item_text(IDC_PROGRESS_BAR, text(texts().body));  // its name for screen readers
  }

  void init() override {
    EnableWindow(item(IDC_BACK), options_.cancel_enabled && !wizard::run.uninstall);
    SendMessageW(item(IDC_PROGRESS_BAR), PBM_SETRANGE32, 0, 100);
  }

  void command(int id, int notification) override {
    if (id != IDC_BACK || notification != BN_CLICKED) return;
    if (kv::question_box(text(28), text(20), window())) (options_.abort ? options_.abort : cancel_run)();
  }

  INT_PTR message(UINT msg, WPARAM, LPARAM) override {
    if (msg != WM_QUERYENDSESSION) return FALSE;
    SetWindowLongPtrW(window(), DWLP_MSGRESULT, FALSE);  // not while files are being changed
    return TRUE;
  }

  ProgressOptions options_;
  DWORD step_shown_ = 0;
};

std::unique_ptr<ProgressPage> g_page;

void on_step_text(const std::u16string& step) {
  if (!g_page) return;
  g_page->show_step(step);
  kv::pump_messages();
}

void on_progress(int percent) {
  if (!g_page) return;
  percent = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
  PostMessageW(GetDlgItem(g_page->window(), IDC_PROGRESS_BAR), PBM_SETPOS, WPARAM(percent), 0);
  kv::pump_messages();
}

void on_wait_minimum_display() {
  if (g_page) g_page->wait_minimum_display();
}

// Vista and later show the reason beside the program that holds up a
// shutdown.
void block_shutdown(HWND window, bool block) {
  using CreateFn = BOOL(WINAPI*)(HWND, LPCWSTR);
  using DestroyFn = BOOL(WINAPI*)(HWND);
  if (block) {
    if (auto create = kv::system_function_as<CreateFn>(L"user32.dll", "ShutdownBlockReasonCreate"))
      create(window, kv::as_wide(text(wizard::run.uninstall ? 55 : 54)));
  } else if (auto destroy = kv::system_function_as<DestroyFn>(L"user32.dll", "ShutdownBlockReasonDestroy")) {
    destroy(window);
  }
}

}  // namespace

ProgressOptions installation_progress_options() {
  const setup::Settings& s = setup::run.settings;
  // An automatic run does not wait for anyone to read.
  const DWORD minimum = setup::run.modes.automatic ? 0 : s.minimum_display_time;
  return {!s.ProductFlags.has_low(setup::flags_low::kNoProgressCancel), nullptr, minimum};
}

void open_progress_dialog(const ProgressOptions& options) {
  if (g_page) return;
  auto page = std::make_unique<ProgressPage>(options);
  HWND window = page->create(open_windows.background);
  if (!window) return;
  g_page = std::move(page);
  open_windows.progress = window;
  setup::program.main_window = window;  // the owner of the run's message boxes
  ShowWindow(window, SW_SHOW);
  block_shutdown(window, true);
  setup::StatusHooks& hooks = setup::run.status_hooks;
  hooks.show_text = on_step_text;
  hooks.post_progress = on_progress;
  hooks.wait_minimum_display = on_wait_minimum_display;
  hooks.close_window = close_progress_dialog;
  setup::run.exit_hooks.destroy_progress_window = close_progress_dialog;
  kv::pump_messages();
}

void close_progress_dialog() {
  if (!g_page) return;
  setup::run.status_hooks = {};
  std::unique_ptr<ProgressPage> page = std::move(g_page);
  open_windows.progress = nullptr;
  if (setup::program.main_window == page->window()) setup::program.main_window = open_windows.background;
  block_shutdown(page->window(), false);
  DestroyWindow(page->window());
}

HWND progress_dialog() { return g_page ? g_page->window() : nullptr; }

void cancel_run() {
  if (!setup::run.modes.automatic)
    kv::message_box(text(wizard::run.uninstall ? 101 : 98), text(111), MB_OK | MB_ICONEXCLAMATION, owner_window());
  setup::end_run(setup::RunOutcome::cancelled);
}

}  // namespace wizard
