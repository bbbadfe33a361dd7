#include "crash_dialog_win.h"

#include <windows.h>

#include <cstring>

#include "author_format.h"
#include "dialogs.h"
#include "text.h"
#include "win_handles.h"

namespace crash {
namespace {

// The dialog's controls.
constexpr int kInformUs = 2700;
constexpr int kExit = 2701;
constexpr int kApology = 2702;
constexpr int kReportText = 2703;
constexpr int kCopyReport = 2704;
constexpr int kEmail = 2705;
constexpr int kEmailLabel = 2706;
constexpr int kComments = 2707;
constexpr int kCommentsLabel = 2708;

struct DialogState {
  std::u16string report;
  std::u16string apology;
  bool can_send = false;
  UserNote* note = nullptr;
};

void set_text(HWND dialog, int id, const std::u16string& text) {
  SetDlgItemTextW(dialog, id, kv::as_wide(text));
}

std::u16string text_of(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  const int length = GetWindowTextLengthW(control);
  std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
  const int got = GetWindowTextW(control, kv::as_wide(text), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

// The report as the clipboard's text; the dialog stays open.
void copy_report(HWND dialog, const std::u16string& report) {
  if (!OpenClipboard(dialog)) return;
  EmptyClipboard();
  const std::size_t bytes = (report.size() + 1) * sizeof(char16_t);
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* target = GlobalLock(memory)) {
      std::memcpy(target, report.c_str(), bytes);
      GlobalUnlock(memory);
      if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
    } else {
      GlobalFree(memory);
    }
  }
  CloseClipboard();
}

INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<DialogState*>(lparam);
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      SetWindowTextW(dialog, L"Illegal Operation");
      set_text(dialog, kApology, state->apology);
      set_text(dialog, kReportText, state->report);
      set_text(dialog, kEmailLabel,
               u"Please enter your email address.  This is optional but recommended because reproducing the crash "
               u"may require a few questions.");
      set_text(dialog, kCommentsLabel, u"Comments / steps to reproduce:");
      EnableWindow(GetDlgItem(dialog, kInformUs), state->can_send);
      // The address comes first; Enter in it still means "Inform Us".
      SetFocus(GetDlgItem(dialog, state->can_send ? kEmail : kExit));
      return FALSE;
    }
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case kInformUs:
          state->note->email = kv::utf16_to_ansi(text_of(dialog, kEmail));
          state->note->comments = kv::utf16_to_ansi(text_of(dialog, kComments));
          EndDialog(dialog, kInformUs);
          return TRUE;
        case kCopyReport:
          copy_report(dialog, state->report);
          return TRUE;
        case kExit:
        case IDCANCEL:  // the system menu's Close, and Escape
          EndDialog(dialog, kExit);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

bool show_crash_dialog(const std::string& report, const std::string& vendor, bool can_send, UserNote& note) {
  DialogState state;
  // The edit control wants CR LF, which the report has.
  state.report = kv::ansi_to_utf16(report);
  state.apology = kv::fill_format(
      u"We apologize for the inconvenience, but the program has performed an illegal operation and must close.  "
      u"Please report this problem to %s by clicking the \"Inform Us\" button below.",
      {kv::ansi_to_utf16(vendor)});
  state.can_send = can_send;
  state.note = &note;
  INT_PTR result = kv::dlg_run_w(GetModuleHandleW(nullptr), L"EXCEPTIONDLG", nullptr, procedure,
                                 reinterpret_cast<LPARAM>(&state));
  return result == kInformUs;
}

}  // namespace crash
