// A product's program as it runs while its installer works: one top-level
// window of a known class and title, one of the product's files held open
// without sharing, so that nobody can replace or delete it while it runs.
//
//   running_program.exe CLASS TITLE HELD-FILE READY-FILE [STOP-FILE] [minimised]
//
// READY-FILE is written once the window exists and the file is held. The
// exit code tells how the program ended: 10 its window was closed (a close
// request), 11 a quit request reached its loop with the window still there,
// 12 STOP-FILE appeared, 13 it ran out of time, 15 its window was closed
// while still minimised; a terminated process ends
// with the code its terminator chose. 2 to 5: it could not start (arguments,
// the file, the class, the window).
#include <windows.h>
#include <shellapi.h>

namespace {

constexpr int kClosed = 10, kQuit = 11, kStopped = 12, kTimedOut = 13, kClosedMinimised = 15;
constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMilliseconds = 100;
constexpr DWORD kLifetimeMilliseconds = 120000;  // never outlives its test for long

const wchar_t* g_stop_file = nullptr;
HANDLE g_held = INVALID_HANDLE_VALUE;
DWORD g_started = 0;

bool exists(const wchar_t* path) { return path && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_TIMER:
      if (exists(g_stop_file)) {
        KillTimer(window, kPollTimer);
        DestroyWindow(window);
        PostQuitMessage(kStopped);
      } else if (GetTickCount() - g_started > kLifetimeMilliseconds) {
        KillTimer(window, kPollTimer);
        DestroyWindow(window);
        PostQuitMessage(kTimedOut);
      }
      return 0;
    case WM_CLOSE: {
      // A window still minimised here was not restored first.
      const bool minimised = IsIconic(window);
      // Its files are let go first, as a program that saves and ends.
      CloseHandle(g_held);
      g_held = INVALID_HANDLE_VALUE;
      DestroyWindow(window);
      PostQuitMessage(minimised ? kClosedMinimised : kClosed);
      return 0;
    }
    default:
      return DefWindowProcW(window, message, w, l);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 5) return 2;
  g_stop_file = argc > 5 && argv[5][0] ? argv[5] : nullptr;
  const bool minimised = argc > 6 && lstrcmpW(argv[6], L"minimised") == 0;
  g_started = GetTickCount();

  g_held = CreateFileW(argv[3], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (g_held == INVALID_HANDLE_VALUE) return 3;

  WNDCLASSW wc{};
  wc.lpfnWndProc = window_proc;
  wc.hInstance = instance;
  wc.lpszClassName = argv[1];
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  if (!RegisterClassW(&wc)) return 4;
  HWND window = CreateWindowW(argv[1], argv[2], WS_OVERLAPPEDWINDOW, 40, 40, 320, 160, nullptr, nullptr, instance,
                              nullptr);
  if (!window) return 5;
  ShowWindow(window, minimised ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
  SetTimer(window, kPollTimer, kPollMilliseconds, nullptr);

  HANDLE ready = CreateFileW(argv[4], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);

  MSG msg;
  int code = kQuit;
  BOOL got;
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // A quit request posted from outside arrives with the window alive.
  if (got == 0) code = IsWindow(window) ? kQuit : static_cast<int>(msg.wParam);
  if (g_held != INVALID_HANDLE_VALUE) CloseHandle(g_held);
  return code;
}
