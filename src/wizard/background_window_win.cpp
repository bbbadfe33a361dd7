// The window is built with the wizard's windows; until then the run has none.
#include "background_window.h"

namespace wizard {

void create_background_window(const BackgroundLook&) {}

}  // namespace wizard
