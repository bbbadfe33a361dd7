#include "dialogs.h"

#include "program.h"
#include "silent.h"
#include "text.h"
#include "win_handles.h"

namespace kv {
namespace {

MessageBoxLook g_look;
thread_local HHOOK t_activation_hook = nullptr;

std::u16string template_label(const wchar_t* name) {
  if (IS_INTRESOURCE(name)) return u"#" + to_u16(reinterpret_cast<std::uintptr_t>(name));
  return from_wide(name);
}

std::string narrow_template(const wchar_t* name) {
  if (IS_INTRESOURCE(name)) return {};
  return utf16_to_ansi(from_wide(name));
}

const char* as_narrow_name(const wchar_t* wide, const std::string& narrow) {
  return IS_INTRESOURCE(wide) ? reinterpret_cast<const char*>(wide) : narrow.c_str();
}

constexpr int kBoxButtons[] = {IDOK, IDYES, IDNO, IDCANCEL, IDRETRY};

void apply_look(HWND box) {
  centre_window(box, g_look.main_window ? g_look.main_window() : nullptr);
  if (g_look.window_icon) {
    for (int which : {ICON_BIG, ICON_SMALL})
      if (HICON icon = g_look.window_icon(which)) SendMessageW(box, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
  }
  for (int id : kBoxButtons) {
    HWND button = GetDlgItem(box, id);
    if (!button) continue;
    std::u16string caption;
    if (g_look.button_caption) caption = g_look.button_caption(id);
    if (caption.empty()) {
      wchar_t current[128] = {};
      GetWindowTextW(button, current, 128);
      caption = from_wide(current);
    }
    // An image goes beside the caption, a blank apart.
    if (HICON icon = g_look.button_icon ? g_look.button_icon(id) : nullptr) {
      SendMessageW(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
      caption.insert(0, 1, u' ');
    }
    SetWindowTextW(button, as_wide(caption));
  }
}

LRESULT CALLBACK on_activation(int code, WPARAM wparam, LPARAM lparam) {
  HHOOK hook = t_activation_hook;
  if (code != HCBT_ACTIVATE) return CallNextHookEx(hook, code, wparam, lparam);
  apply_look(reinterpret_cast<HWND>(wparam));
  LRESULT result = CallNextHookEx(hook, code, wparam, lparam);
  UnhookWindowsHookEx(hook);
  t_activation_hook = nullptr;
  return result;
}

}  // namespace

INT_PTR dlg_run_w(HINSTANCE instance, const wchar_t* template_name, HWND owner, DLGPROC proc,
                  LPARAM param) {
  if (window_creation_disallowed()) {
    trace(u"dlg_run_w + window_creation_disallowed: " + template_label(template_name));
    return 0;
  }
  INT_PTR result = DialogBoxParamW(instance, template_name, owner, proc, param);
  if (result == -1 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
    std::string narrow = narrow_template(template_name);
    result = DialogBoxParamA(instance, as_narrow_name(template_name, narrow), owner, proc, param);
  }
  return result;
}

HWND dlg_create_w(HINSTANCE instance, const wchar_t* template_name, HWND owner, DLGPROC proc,
                  LPARAM param) {
  if (window_creation_disallowed()) {
    trace(u"dlg_create_w + window_creation_disallowed: " + template_label(template_name));
    return nullptr;
  }
  HWND window = CreateDialogParamW(instance, template_name, owner, proc, param);
  if (!window && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
    std::string narrow = narrow_template(template_name);
    window = CreateDialogParamA(instance, as_narrow_name(template_name, narrow), owner, proc, param);
  }
  return window;
}

int smw_run_w(HWND owner, const std::u16string& text, const std::u16string& caption, UINT style) {
  if (window_creation_disallowed()) {
    trace(u"smw_run_w + window_creation_disallowed\r\n" + text);
    return IDOK;
  }
  return MessageBoxW(owner, as_wide(text), as_wide(caption), style);
}

void fatal_message_box(const std::u16string& text) {
  if (window_creation_disallowed()) {
    trace(u"fatal + window_creation_disallowed\r\n" + text);
    return;
  }
  std::u16string caption = u"FATAL ERROR - " + program_title_w();
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  MessageBoxW(nullptr, as_wide(text), as_wide(caption),
              MB_OK | MB_ICONERROR | MB_TOPMOST | MB_TASKMODAL | MB_SETFOREGROUND);
}

void pump_messages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    // A modeless dialog (the progress window) gets its keys: Tab, Enter,
    // Escape, access keys.
    HWND active = GetActiveWindow();
    wchar_t type[8] = {};
    if (active && GetClassNameW(active, type, 8) && lstrcmpW(type, L"#32770") == 0 && IsDialogMessageW(active, &msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void pump_messages_for(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    pump_messages();
    DWORD passed = GetTickCount() - start;
    if (passed >= milliseconds) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - passed, QS_ALLINPUT);
  }
}

void centre_window(HWND window, HWND over) {
  RECT area{};
  if (!over || !IsWindowVisible(over) || IsIconic(over) || !GetWindowRect(over, &area)) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor))
      area = monitor.rcWork;
    else
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT r{};
  GetWindowRect(window, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(window, nullptr, area.left + (area.right - area.left - w) / 2,
               area.top + (area.bottom - area.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void set_message_box_look(const MessageBoxLook& look) { g_look = look; }

int message_box(const std::u16string& text, const std::u16string& caption, UINT style, HWND owner) {
  if (window_creation_disallowed()) return smw_run_w(owner, text, caption, style);
  if (!t_activation_hook)
    t_activation_hook = SetWindowsHookExW(WH_CBT, on_activation, nullptr, GetCurrentThreadId());
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  if (!owner && g_look.main_window) owner = g_look.main_window();
  std::u16string shown_caption = caption;
  if (shown_caption.empty())
    shown_caption = g_look.default_caption ? g_look.default_caption() : program_title_w();
  return smw_run_w(owner, text, shown_caption, style | MB_SETFOREGROUND);
}

bool question_box(const std::u16string& text, const std::u16string& caption, HWND owner) {
  return message_box(text, caption, MB_YESNO | MB_ICONQUESTION, owner) == IDYES ||
         window_creation_disallowed();
}

}  // namespace kv
