#pragma once
// The wizard's pages. Each shows its modal dialog over the run's current
// window and returns the user's choice; an automatic run takes every default
// without showing anything.
#include <string>

namespace wizard {

// The language page; false when the user cancelled.
bool language_page();
// The greeting; false when the user cancelled.
bool greeting_page();
// The password page; true when the installation has no password or the
// right one was entered.
bool password_page();
// The licence and readme pages in their order; false when one was declined
// or cancelled.
bool licence_and_readme_pages();
// The installation folder page; false when cancelled. Updates the run's
// installation folder.
bool destination_page();
// The start-menu folder page; false when cancelled. Updates the run's
// start-menu folder.
bool start_menu_page();
// The must-uninstall page; true when the user agreed to run the old
// uninstaller.
bool must_uninstall_page();
// The uninstaller's support offer; true when the user took it.
bool support_offer_page(const std::u16string& address);

}  // namespace wizard
