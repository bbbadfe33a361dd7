#pragma once
// How the installer presents fatal errors and messages: the fatal callback
// registered at start, and the look of its message boxes.
#include <windows.h>

namespace setup {

struct ProgramInstance {
  HINSTANCE instance = nullptr;
  HICON large_icon = nullptr;
  HICON small_icon = nullptr;
  HWND main_window = nullptr;  // the current top window of the run, if any
};
extern ProgramInstance program;

// Registers the installer's fatal callback and message-box look.
void install_installer_ui();

// The text that captions a message box's Yes, No, Cancel or Retry button
// (IDYES, ...); -1 for other buttons.
int message_box_button_text(int button_id);

}  // namespace setup
