#include "close_applications.h"

#include <windows.h>

#include <vector>

#include "author_format.h"
#include "close_rules.h"
#include "dialogs.h"
#include "installer_ui.h"
#include "run_state.h"
#include "text.h"
#include "win_handles.h"

namespace setup {
namespace {

// Long enough for a program that was asked to close to let go of its files.
constexpr DWORD kSettleMilliseconds = 333;

BOOL CALLBACK collect_window(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

// The windows are taken first and examined after: the question of mode
// "ask" makes windows of its own while the list is walked.
std::vector<HWND> top_level_windows() {
  std::vector<HWND> windows;
  EnumWindows(collect_window, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::string window_text(HWND window) {
  // The text of another process's window comes from the system's own copy:
  // no message is sent, so a hung program cannot hold the installer up.
  int length = GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), length + 1)));
  return text;
}

WindowFacts facts_of(HWND window, DWORD process_id) {
  WindowFacts facts;
  char class_name[257] = {};
  if (GetClassNameA(window, class_name, sizeof class_name) > 0) facts.class_name = class_name;
  facts.title = window_text(window);
  facts.own_process = process_id == GetCurrentProcessId();
  facts.minimised = IsIconic(window) != FALSE;
  return facts;
}

void terminate_owner(DWORD process_id) {
  kv::UniqueHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, process_id));
  if (process) TerminateProcess(process.get(), 0);
}

// Asks until the window is gone; false when the user cancelled.
bool ask_until_closed(HWND window, const CloseRule& rule, const CloseTexts& texts) {
  const std::u16string question = kv::fill_format(texts.question, {kv::ansi_to_utf16(rule.display_name)});
  while (IsWindow(window)) {
    if (kv::message_box(question, texts.caption, MB_RETRYCANCEL | MB_ICONEXCLAMATION) == IDCANCEL) return false;
  }
  return true;
}

}  // namespace

bool close_applications(std::span<const CloseRule> rules, std::uint8_t phase, const CloseTexts& texts) {
  if (rules.empty()) return true;
  for (HWND window : top_level_windows()) {
    DWORD process_id = 0;
    if (!GetWindowThreadProcessId(window, &process_id)) continue;  // closed meanwhile
    CloseDecision d = decide_close(rules, phase, facts_of(window, process_id), run.modes.silent);
    switch (d.action) {
      case CloseAction::none:
        break;
      case CloseAction::post_close:
      case CloseAction::post_quit:
        // Asynchronous: a program that does not answer cannot hold us up.
        if (d.restore_first) ShowWindowAsync(window, SW_RESTORE);
        PostMessageW(window, d.action == CloseAction::post_close ? WM_CLOSE : WM_QUIT, 0, 0);
        break;
      case CloseAction::ask:
        if (!ask_until_closed(window, *d.rule, texts)) return false;
        break;
      case CloseAction::terminate:
        terminate_owner(process_id);
        break;
    }
  }
  return true;
}

void resume_after_closing() {
  kv::pump_messages_for(kSettleMilliseconds);
  if (HWND main = program.main_window) {
    SetForegroundWindow(main);
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
}

}  // namespace setup
