#pragma once
// The wizard's windows. Each page function shows its modal page over the
// run's current window (owner_window) and returns what the user chose; the
// caller decides whether a page is shown at all (automatic runs take the
// defaults without calling these).
//
// Before the first of them: prepare_installation_wizard() in an
// installation run; the uninstaller calls prepare_wizard with its own texts
// and switches (wizard_run.h).
#include <cstdint>
#include <string>

#include "background_display_win.h"
#include "progress_dialog_win.h"
#include "wizard_run.h"

namespace wizard {

// Takes the run's texts' source and switches, expands the pictures, and lets
// the run's message boxes show the button images when the run shows them.
void prepare_wizard(const WizardRun& values);
// The same from the installation's settings: its string table, header text,
// button images and picture frame.
void prepare_installation_wizard();

// The language list; false when cancelled. Sets the current language.
bool show_language_page();
// The greeting with its text and the installer's title (a message box with
// OK and Cancel in the plain look); false when cancelled.
bool show_greeting_page(const std::u16string& text, const std::u16string& title);
// One licence or readme text (rich text or plain, as stored); IDC_FORWARD
// when accepted, IDC_BACK when declined or cancelled.
int show_licence_page(const std::string& text);
int show_readme_page(const std::string& text);
// True when the installation has no password or the right one was typed.
bool show_password_page();
// The installation folder; false when cancelled. Updates the run's folder.
// `required_bytes` is the space the installation needs there.
bool show_destination_page(std::uint64_t required_bytes);
// The start-menu folder; false when cancelled. Updates the run's folder.
bool show_start_menu_page();
// The final page; stores the four options (all off when closed).
void show_summary_page();
// The must-uninstall page and the uninstaller's support offer: IDC_FORWARD
// or IDC_BACK (closing the window counts as IDC_BACK).
int show_must_uninstall_page();
int show_support_offer_page();

}  // namespace wizard
