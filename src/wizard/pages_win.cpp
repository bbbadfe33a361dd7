// The pages are built with the wizard's windows; until then each takes its
// default, as an automatic run does.
#include "pages.h"

#include "installation_data.h"
#include "run_state.h"

namespace wizard {

bool language_page() { return true; }
bool greeting_page() { return true; }
// Without the page a password cannot be typed: an installation that has one
// is refused rather than installed without it.
bool password_page() { return setup::run.settings.installation_password.empty(); }
bool licence_and_readme_pages() { return true; }
bool destination_page() { return true; }
bool start_menu_page() { return true; }
bool must_uninstall_page() { return false; }
bool support_offer_page(const std::u16string&) { return false; }

}  // namespace wizard
