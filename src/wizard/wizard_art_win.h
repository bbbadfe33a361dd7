#pragma once
// The wizard's pictures among the program's resources (page_ids.h): PNG
// files expanded once per run, then scaled to whatever a control or the
// screen's dpi asks for.
#include <windows.h>

#include "page_ids.h"
#include "picture.h"
#include "win_handles.h"

namespace wizard {

using setup::Picture;

// Decodes every picture; later calls return at once.
void expand_wizard_art();
// The picture, or nullptr when the program carries none under that id.
const Picture* wizard_picture(int resource_id);

// A 24-bit DIB section of an opaque picture.
kv::UniqueBitmap bitmap_of(const Picture& picture);
// The picture scaled to cover the size without distortion.
kv::UniqueBitmap covering_bitmap(int resource_id, int width, int height);

// A button image (IDR_FORWARD_ICON ... IDR_RETRY_ICON) of size x size
// pixels, kept for the rest of the run; nullptr without the picture.
HICON button_icon(int resource_id, int size);
// The size of the images beside the buttons' captions: 10 pixels at 96 dpi.
int button_image_size(HWND window);

}  // namespace wizard
