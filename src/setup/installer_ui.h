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
  // The wizard's button images (4 to 7) while the run shows icons on its
  // buttons; set by the wizard.
  HICON (*button_icon)(int image) = nullptr;
};
extern ProgramInstance program;

// Registers the installer's fatal callback and message-box look.
void install_installer_ui();

// The text that captions a message box's Yes, No, Cancel or Retry button
// (IDYES, ...); -1 for other buttons.
int message_box_button_text(int button_id);
// The wizard's image beside a message box's button: 4 (forward) for OK and
// Yes, 5 (cancel) for No and Cancel, 7 for Retry; 0 for other buttons.
int message_box_button_image(int button_id);
// The message boxes' icons, for every run's look: the program's icons on the
// box, the wizard's images on its buttons.
HICON run_window_icon(int which);  // ICON_BIG or ICON_SMALL
HICON run_button_icon(int button_id);

}  // namespace setup
