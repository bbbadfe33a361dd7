#include "fonts.h"

#include <windows.h>

#include "os_version.h"
#include "registry.h"
#include "win_handles.h"

namespace engine {

void register_font(const InstalledFont& font) {
  const char16_t* path = kv::os_version().platform == kv::kPlatform9x ? kFontsKey9x : kFontsKeyNt;
  // The process's own view: the fonts list is shared between the views of a
  // 64-bit system, so a 32-bit installer sees the one list there is.
  kv::UniqueRegKey key = kv::reg_open(HKEY_LOCAL_MACHINE, path, KEY_SET_VALUE, kv::RegView::native32);
  if (key) kv::reg_write_string(key.get(), font.title, font.file_name);
  AddFontResourceW(kv::as_wide(font.file_name));
}

void broadcast_font_change() {
  // A hung window must not stop the installation.
  SendMessageTimeoutW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
}

}  // namespace engine
