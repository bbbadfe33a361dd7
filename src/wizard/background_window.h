#pragma once
// The background window behind every page of a run: the gradient, the
// author's bitmap, the title and the copyright line.
#include "uninstall_key.h"

namespace wizard {

// The window's look: from the settings of an installation, or as the
// uninstaller reads it back from the uninstall key.
using BackgroundLook = integration::BackgroundLook;

// Creates the window (nothing in a silent run).
void create_background_window(const BackgroundLook& look);

}  // namespace wizard
