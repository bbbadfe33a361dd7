#include "installer_ui.h"

#include "dialogs.h"
#include "exit_routine.h"
#include "kv_core.h"
#include "localised.h"
#include "run_modes.h"
#include "run_state.h"
#include "text_ids.h"

namespace setup {

ProgramInstance program;

namespace {

// A fatal error shows in the installer's message box, captioned with the
// installation's own word for "Error", and the run ends with exit code 1.
void on_fatal(const char* text) {
  if (!run.modes.silent) {
    std::u16string caption = localised(text_id::kErrorCaption);
    if (caption.empty()) caption = u"Error";
    kv::message_box(kv::ansi_to_utf16(text), caption, MB_OK | MB_ICONERROR);
  }
  end_run(RunOutcome::failed);
}

HWND main_window() { return program.main_window; }
std::u16string button_caption(int button_id) {
  const int text = message_box_button_text(button_id);
  return text < 0 ? std::u16string() : localised(text);
}
std::u16string default_caption() {
  return run.placeholders.product.empty() ? kv::program_title_w() : run.placeholders.product;
}

}  // namespace

int message_box_button_text(int button_id) {
  switch (button_id) {
    case IDYES: return text_id::kYes;
    case IDNO: return text_id::kNo;
    case IDCANCEL: return text_id::kCancel;
    case IDRETRY: return text_id::kRetry;
    default: return -1;
  }
}

void install_installer_ui() {
  kv::set_fatal_callback(on_fatal);
  kv::set_message_box_look({main_window, button_caption, default_caption, run_window_icon, run_button_icon});
}

HICON run_window_icon(int which) { return which == ICON_BIG ? program.large_icon : program.small_icon; }
int message_box_button_image(int button_id) {
  switch (button_id) {
    case IDOK:
    case IDYES: return 4;
    case IDNO:
    case IDCANCEL: return 5;
    case IDRETRY: return 7;
    default: return 0;
  }
}

HICON run_button_icon(int button_id) {
  const int image = message_box_button_image(button_id);
  return image && program.button_icon ? program.button_icon(image) : nullptr;
}

}  // namespace setup
