#pragma once
// Dialogs and message boxes of the core library. With
// window_creation_disallowed set, none of them shows anything: each hands
// the text it would have shown to the trace and returns its silent answer.
#include <windows.h>

#include <string>

namespace kv {

// Modal dialog from a resource template; the UTF-16 call is tried first and
// the 8-bit one only when the system does not implement it.
INT_PTR dlg_run_w(HINSTANCE instance, const wchar_t* template_name, HWND owner, DLGPROC proc,
                  LPARAM param);
// Modeless dialog, same fallback; no window when silent or on failure.
HWND dlg_create_w(HINSTANCE instance, const wchar_t* template_name, HWND owner, DLGPROC proc,
                  LPARAM param);
// Message box; returns the button pressed (1, OK, when silent).
int smw_run_w(HWND owner, const std::u16string& text, const std::u16string& caption, UINT style);

// Top-most, task-modal error box captioned "FATAL ERROR - <program title>".
void fatal_message_box(const std::u16string& text);

// Dispatches the thread's pending messages and returns: the run's windows
// repaint and answer while it works.
void pump_messages();
// Waits that long while dispatching the thread's messages as they come.
void pump_messages_for(DWORD milliseconds);

// Centres a window over another (the work area of its screen when there is
// none, or it is not shown).
void centre_window(HWND window, HWND over);

// What the installer's message box needs from the rest of the program.
struct MessageBoxLook {
  HWND (*main_window)() = nullptr;                  // centred over it, else the work area
  // The caption of a box's button (IDOK, IDYES, ...); empty: the system's.
  std::u16string (*button_caption)(int button_id) = nullptr;
  std::u16string (*default_caption)() = nullptr;    // the product's title
  // The run's icons (ICON_BIG, ICON_SMALL) for the box's window; none when
  // null.
  HICON (*window_icon)(int which) = nullptr;
  // The image beside a button's caption (IDOK, IDYES, ...); none when null or
  // when it gives none.
  HICON (*button_icon)(int button_id) = nullptr;
};
void set_message_box_look(const MessageBoxLook& look);

// The installer's message box: centred, localised button captions, always
// brought to the foreground. Silent: shows nothing and returns IDOK.
int message_box(const std::u16string& text, const std::u16string& caption = {}, UINT style = MB_OK,
                HWND owner = nullptr);
// Yes/no question with the question icon; silent answers yes.
bool question_box(const std::u16string& text, const std::u16string& caption = {},
                  HWND owner = nullptr);

}  // namespace kv
