// The wizard's state for a run: the installation's from its settings, the
// uninstaller's from what it read back.
#include "installer_ui.h"
#include "page_dialog_win.h"
#include "run_state.h"
#include "wizard_art_win.h"
#include "wizard_run.h"
#include "wizard_windows.h"

namespace wizard {
namespace {

HICON message_box_button_icon(int image) { return button_icon(image, button_image_size(owner_window())); }

}  // namespace

void prepare_wizard(const WizardRun& values) {
  run = values;
  expand_wizard_art();
  setup::program.button_icon = run.button_icons ? message_box_button_icon : nullptr;
}

void prepare_installation_wizard() {
  const setup::Settings& s = setup::run.settings;
  WizardRun values;
  values.header_text = s.header_text;
  values.button_icons = (setup::run.installation.head.ProductFlags2 & setup::flags2::kButtonIcons) != 0;
  values.picture_frame = s.greeting_option;
  prepare_wizard(values);
}

}  // namespace wizard
