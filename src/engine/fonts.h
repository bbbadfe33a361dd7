#pragma once
// Fonts installed by the file loop: made known to the system and to the
// running programs. Windows only.
#include <string>

#include "file_install_lists.h"

namespace engine {

// The system's list of fonts under HKEY_LOCAL_MACHINE.
inline constexpr char16_t kFontsKeyNt[] = u"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
inline constexpr char16_t kFontsKey9x[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Fonts";

// Writes the title -> file name value into the system's list of fonts and
// loads the font for this session.
void register_font(const InstalledFont& font);

// Tells every top-level window that the fonts changed.
void broadcast_font_change();

}  // namespace engine
