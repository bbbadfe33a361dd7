#pragma once
// The driver's steps that hand over to the other subsystems: pages of the
// wizard, the log, batches, the archive, the files, the integration steps and
// the completion. The order is the driver's (driver_win.cpp); each step here
// knows what it calls and what it does when that subsystem is absent.
#include <windows.h>

#include <set>
#include <string>

namespace setup::steps {

// Versions compared as the file installation compares them.
int compare_versions(std::u16string_view a, std::u16string_view b);
// Placeholders of the header text.
void prepare_texts();
// The uninstaller's texts, in the language the user chose.
void keep_uninstall_texts();
// The wizard's prompts and the background window, before the first page.
void open_wizard();
// Wizard pages; in automatic runs each takes its default. Each cancels the
// run when the user cancelled the page (the language page ends it at once).
void language_page();
void greeting_page();
void password_page();
void licence_and_readme_pages();
// True when the user agreed to run the old version's uninstaller first.
bool must_uninstall_page();
// The installation folder page until a folder passes every check.
void destination_page();
void start_menu_page();
// From the copy phase to the completion.
void open_progress_window();
// The wizard's Cancel: unless automatic, the cancellation message; exit 1.
[[noreturn]] void cancel();
// Makes the installation folder, noting the levels it made for a cancel.
DWORD create_installation_folder(const std::u16string& folder);
void remove_created_folders();

void close_applications();
bool on_removable_drive(const std::u16string& folder);

// Step text n and progress percent.
void status(int text_number, int percent);
void grant_rights(const std::u16string& folder);

// The run log, the progress window and the copy-start notification.
void begin_installation_proper();
void restore_point();
void run_installation_batches();
void verify_archive();
void conditional_deletions();
void install_files();
// Registrations, uninstaller icon, shortcuts, registry, associations, firewall.
void after_files();
void completion();

}  // namespace setup::steps
