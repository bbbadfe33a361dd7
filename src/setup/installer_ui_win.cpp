#include "installer_ui.h"

#include "dialogs.h"
#include "exit_routine.h"
#include "kv_core.h"
#include "localised.h"
#include "run_modes.h"
#include "run_state.h"

namespace setup {

ProgramInstance program;

namespace {

// A fatal error shows in the installer's message box, captioned with the
// installation's own word for "Error", and the run ends with exit code 1.
void on_fatal(const char* text) {
  if (!run.modes.silent) {
    std::u16string caption = localised(21);
    if (caption.empty()) caption = u"Error";
    kv::message_box(kv::ansi_to_utf16(text), caption, MB_OK | MB_ICONERROR);
  }
  exit_installer(1);
}

HWND main_window() { return program.main_window; }
std::u16string button_caption(int number) { return localised(number); }
std::u16string default_caption() {
  return run.placeholders.product.empty() ? kv::program_title_w() : run.placeholders.product;
}

}  // namespace

void install_installer_ui() {
  kv::set_fatal_callback(on_fatal);
  kv::set_message_box_look({main_window, button_caption, default_caption, run_window_icon, run_button_icon});
}

HICON run_window_icon(int which) { return which == ICON_BIG ? program.large_icon : program.small_icon; }
HICON run_button_icon(int image) { return program.button_icon ? program.button_icon(image) : nullptr; }

}  // namespace setup
