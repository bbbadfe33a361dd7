// The window is built with the wizard's windows; until then the run has
// none and its step texts go nowhere.
#include "progress_window.h"

#include "installer_ui.h"

namespace wizard {

void open_progress_window() {}
void close_progress_window() {}
void activate_progress_window() {}
HWND message_owner() { return setup::program.main_window; }

}  // namespace wizard
