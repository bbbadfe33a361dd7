#pragma once
// The progress window: modeless, opened when the copy or removal phase
// starts and closed at its end. While it is open it receives every step text
// and progress percent of the run (run_status.h).
#include <windows.h>

namespace wizard {

void open_progress_window();
void close_progress_window();
// Brings the window to the front.
void activate_progress_window();
// The owner of the run's message boxes: the progress window when it is open,
// else the background window.
HWND message_owner();

}  // namespace wizard
