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
  kv::set_message_box_look({main_window, button_caption, default_caption});
}

}  // namespace setup
