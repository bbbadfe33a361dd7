#include "window_json.h"

#include <oleacc.h>

#include <algorithm>
#include <cstdio>

#include "text.h"
#include "win_handles.h"

namespace window_json {

std::string utf8(const std::u16string& s) { return kv::utf16_to_utf8(s); }

std::string quoted(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
      out += buffer;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}
std::string quoted(const std::u16string& s) { return quoted(utf8(s)); }

std::u16string window_text(HWND w) {
  // Asked of the window itself: for another process's window the system's
  // own answer is only the text it was created with.
  std::wstring buffer(32768, L'\0');
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(w, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                           300, &length))
    return {};
  buffer.resize(std::min<std::size_t>(length, buffer.size() - 1));
  return kv::from_wide(buffer.c_str());
}

std::u16string class_of(HWND w) {
  wchar_t buffer[64] = {};
  GetClassNameW(w, buffer, 64);
  return kv::from_wide(buffer);
}

std::u16string accessible_name(HWND control) {
  kv::ComPtr<IAccessible> object;
  if (FAILED(AccessibleObjectFromWindow(control, DWORD(OBJID_CLIENT), IID_IAccessible, object.put_void())))
    return {};
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  std::u16string out;
  if (SUCCEEDED(object->get_accName(self, &name)) && name) out = kv::from_wide(name);
  SysFreeString(name);
  return out;
}

std::string rect_json(const RECT& r) {
  return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right - r.left) + "," +
         std::to_string(r.bottom - r.top) + "]";
}

std::string control_json(HWND dialog, HWND control, bool names) {
  RECT screen{};
  GetWindowRect(control, &screen);
  RECT r = screen;
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  RECT client{};
  GetClientRect(control, &client);
  const std::u16string type = class_of(control);
  std::string json = "{\"id\":" + std::to_string(GetDlgCtrlID(control)) + ",\"class\":" + quoted(type) +
                     ",\"style\":" + std::to_string(GetWindowLongW(control, GWL_STYLE)) +
                     ",\"exstyle\":" + std::to_string(GetWindowLongW(control, GWL_EXSTYLE)) +
                     ",\"rect\":" + rect_json(r) + ",\"screen\":" + rect_json(screen) + ",\"client\":" + rect_json(client) +
                     ",\"text\":" + quoted(window_text(control)) +
                     ",\"visible\":" + (IsWindowVisible(control) ? "true" : "false") +
                     ",\"enabled\":" + (IsWindowEnabled(control) ? "true" : "false") +
                     ",\"name\":" + quoted(names ? accessible_name(control) : std::u16string());
  if (kv::iequals(type, u"Static")) {
    LOGFONTW font{};
    if (HFONT f = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)))
      GetObjectW(f, sizeof font, &font);
    json += ",\"weight\":" + std::to_string(font.lfWeight);
    BITMAP bitmap{};
    HGDIOBJ image = reinterpret_cast<HGDIOBJ>(SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (image && GetObjectW(image, sizeof bitmap, &bitmap))
      json += ",\"image\":[" + std::to_string(bitmap.bmWidth) + "," + std::to_string(bitmap.bmHeight) + "]";
  }
  if (kv::iequals(type, u"Button")) {
    json += ",\"icon\":" + std::string(SendMessageW(control, BM_GETIMAGE, IMAGE_ICON, 0) ? "true" : "false");
    json += ",\"checked\":" + std::string(SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? "true" : "false");
  }
  if (kv::iequals(type, u"Edit"))
    json += ",\"limit\":" + std::to_string(SendMessageW(control, EM_GETLIMITTEXT, 0, 0));
  if (kv::iequals(type, u"ListBox")) {
    json += ",\"items\":[";
    int count = int(SendMessageW(control, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      wchar_t item[256] = {};
      SendMessageW(control, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item));
      json += (i ? "," : "") + quoted(kv::from_wide(item));
    }
    json += "],\"selected\":" + std::to_string(SendMessageW(control, LB_GETCURSEL, 0, 0));
  }
  return json + "}";
}

}  // namespace window_json
