#include "window_dpi.h"

#include "system_library.h"
#include "win_handles.h"

namespace kv {

int dpi_for_window(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto get_dpi = system_function_as<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
  if (get_dpi && window) {
    if (UINT dpi = get_dpi(window)) return static_cast<int>(dpi);
  }
  WindowDc screen(nullptr);
  return screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
}

int scaled_for_window(HWND window, int pixels_at_96) { return MulDiv(pixels_at_96, dpi_for_window(window), 96); }

}  // namespace kv
