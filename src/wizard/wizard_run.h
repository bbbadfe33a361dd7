#pragma once
// The wizard's process-wide state: where its texts and switches come from
// in this run, and the windows it keeps open. An installation takes them
// from its settings (prepare_installation_wizard); the uninstaller fills in
// its own from the uninstall key and Uninstall.DAT.
#include <cstdint>
#include <string>

#include "page_style.h"

namespace wizard {

struct WizardRun {
  // Text n of the run; null: the installation's string table (localised n).
  std::u16string (*text)(int number) = nullptr;
  bool uninstall = false;        // the uninstall run's texts and progress look
  std::u16string header_text;    // the header title of the header look
  bool button_icons = false;     // icons beside the buttons' captions
  std::uint8_t picture_frame = 0;  // the settings' greeting option
};

extern WizardRun run;

std::u16string text(int number);
// The installer's title: text 65 when installing, 55 when uninstalling.
std::u16string installer_title();

// The look of a page in this run: the settings' style, the header look for
// the uninstaller's progress window.
PageStyle style_of(setup::StyledPage page);

}  // namespace wizard
