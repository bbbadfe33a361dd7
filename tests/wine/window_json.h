#pragma once
// Windows and their controls as JSON, for the tests that look at windows
// from Python: ids, classes, texts, positions (in the dialog and on the
// screen), states, and the names screen readers announce.
#include <windows.h>

#include <string>

namespace window_json {

std::string utf8(const std::u16string& s);
// A JSON string.
std::string quoted(const std::string& s);
std::string quoted(const std::u16string& s);
std::u16string window_text(HWND w);
std::u16string class_of(HWND w);
std::u16string accessible_name(HWND control);
// [x, y, width, height]
std::string rect_json(const RECT& r);
// `names`: ask each control for its accessible name (slow for the windows
// of another process).
std::string control_json(HWND dialog, HWND control, bool names = true);

}  // namespace window_json
