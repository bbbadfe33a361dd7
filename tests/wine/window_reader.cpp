// Reads the windows on the screen for the tests that drive the installer as
// a person would (tests/harness/gui.py):
//
//   window_reader OUT.json
//
// writes every visible top-level window of the session, with its caption,
// class, process, position on the screen, the X window that shows it, the
// control that has the keyboard focus, and every control (window_json.h).
// The tests click and type with xdotool at the positions read here.
#include <windows.h>

#include <string>

#include "text.h"
#include "win_handles.h"
#include "window_json.h"

namespace {

using namespace window_json;

std::string window_json_of(HWND window) {
  DWORD process = 0;
  const DWORD thread = GetWindowThreadProcessId(window, &process);
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  GetGUIThreadInfo(thread, &gui);
  RECT screen{}, client{};
  GetWindowRect(window, &screen);
  GetClientRect(window, &client);
  std::string json = "{\"hwnd\":" + std::to_string(reinterpret_cast<std::uintptr_t>(window)) +
                     ",\"pid\":" + std::to_string(process) + ",\"caption\":" + quoted(window_text(window)) +
                     ",\"class\":" + quoted(class_of(window)) + ",\"screen\":" + rect_json(screen) +
                     ",\"client\":" + rect_json(client) +
                     ",\"xid\":" + std::to_string(reinterpret_cast<std::uintptr_t>(GetPropW(window, L"__wine_x11_whole_window"))) +
                     ",\"active\":" + (gui.hwndActive == window ? "true" : "false") +
                     ",\"focus\":" + std::to_string(gui.hwndFocus && IsChild(window, gui.hwndFocus) ? GetDlgCtrlID(gui.hwndFocus) : 0) +
                     ",\"controls\":[";
  bool first = true;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    json += (first ? "" : ",") + control_json(window, child, /*names=*/false);
    first = false;
  }
  return json + "]}";
}

BOOL CALLBACK add_window(HWND window, LPARAM out) {
  if (!IsWindowVisible(window)) return TRUE;
  std::string& json = *reinterpret_cast<std::string*>(out);
  json += (json.size() > 1 ? ",\n" : "\n") + window_json_of(window);
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  std::string json = "[";
  EnumWindows(add_window, reinterpret_cast<LPARAM>(&json));
  json += "\n]\n";
  // Written whole under a second name first: the test never reads half.
  const std::wstring path = argv[1], partial = path + L".part";
  {
    kv::UniqueFile file(CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.get(), json.data(), DWORD(json.size()), &written, nullptr)) return 1;
  }
  return MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
