#pragma once
// The pixels per inch a window is shown at: per monitor where the system
// knows it (Windows 10), else the system's.
#include <windows.h>

// Sent to a window whose dpi changed (Windows 8.1 and later).
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace kv {

int dpi_for_window(HWND window);
// A length of 96-dpi pixels at the window's dpi.
int scaled_for_window(HWND window, int pixels_at_96);

}  // namespace kv
