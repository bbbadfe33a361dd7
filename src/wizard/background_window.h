#pragma once
// The background window behind every page of a run: the gradient, the
// author's bitmap, the title and the copyright line.
#include <cstdint>
#include <string>

namespace wizard {

// The window's look, from the settings of an installation or read back from
// the uninstall key by the uninstaller.
struct BackgroundLook {
  std::u16string title;  // DisplayTitle
  std::u16string title_size = u"1";
  std::uint32_t title_color = 0;
  bool title_color_set = false;  // else the system's window-text colour
  std::uint32_t title_shadow = 1;
  std::uint32_t top_color = 0;
  bool top_color_set = false;  // else the system's window colour
  std::uint32_t bottom_color = 0;
  std::uint32_t mono_color = 1;
  std::uint32_t title_position = 0;
  std::string title_font;
  std::u16string taskbar_text = u"Setup";
  std::u16string copyright_text;
  std::string copyright_font;
  std::u16string copyright_size = u"0";
  std::string copyright_color;
  std::uint32_t copyright_position = 0;
  std::string display_version;
  // "Installer Background.bmp" of the uninstall folder, when there is one.
  std::u16string background_bitmap;
  std::int32_t bitmap_tpi = -1;
  std::uint32_t stretch_mode = 0;
  std::uint32_t bitmap_size = 0;
};

// Creates the window (nothing in a silent run).
void create_background_window(const BackgroundLook& look);

}  // namespace wizard
