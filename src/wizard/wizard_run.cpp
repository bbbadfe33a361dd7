#include "wizard_run.h"

#include "localised.h"
#include "run_state.h"

namespace wizard {

WizardRun run;

std::u16string text(int number) { return run.text ? run.text(number) : setup::localised(number); }

std::u16string installer_title() { return text(run.uninstall ? 55 : 65); }

PageStyle style_of(setup::StyledPage page) {
  if (run.uninstall && page == setup::StyledPage::progress) return PageStyle::header;
  return page_style(setup::run.settings.page_style(page));
}

}  // namespace wizard
