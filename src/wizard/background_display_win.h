#pragma once
// The background window behind the pages ("SEA Window Class"): the work
// area (or the whole screen) in a vertical gradient, the author's bitmap,
// the title and the copyright line. It only paints what the layout rules
// (background_text_layout.h, background_bitmap_layout.h) decide.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "uninstall_key.h"

namespace wizard {

// The look as the uninstaller reads it back from the uninstall key.
using BackgroundLook = integration::BackgroundLook;

struct SceneText {
  std::u16string text;
  std::u16string font;
  double points = 0;
  COLORREF colour = 0;
  int shadow = 0;    // factor; 0: no shadow
  int position = 0;  // 0 none, 1-3 top, 4-6 bottom
};

struct BackgroundScene {
  std::u16string taskbar_text;
  bool whole_screen = false;  // maximised over the taskbar too
  COLORREF top = 0, bottom = 0;
  bool mono = false;  // one colour, no gradient
  std::vector<std::uint8_t> bitmap;  // a BMP file; empty for none
  std::uint32_t stretch_mode = 0;
  int bitmap_size = 0;  // percent
  SceneText title, copyright;
};

// From the installation's settings.
BackgroundScene installation_background_scene();
// From what the uninstaller read back from the uninstall key.
BackgroundScene uninstall_background_scene(const BackgroundLook& look);

// Creates and shows the window (minimised when asked); the pages and boxes
// then stand over it. Nothing when silent.
void show_background_window(const BackgroundScene& scene, bool minimised);
// A new title, after a change of language.
void retitle_background_window(const std::u16string& title);
void close_background_window();

}  // namespace wizard
