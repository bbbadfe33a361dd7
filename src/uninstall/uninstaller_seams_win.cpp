#include "uninstaller_seams.h"

#include "batch_runner.h"
#include "installer_ui.h"
#include "path_environment.h"
#include "path_variables_win.h"

namespace uninstall::seams {

// Closing running applications comes with its own part; until then no rule
// is applied and nothing can be cancelled.
bool close_applications(const std::vector<CloseRule>&, std::uint8_t) { return true; }

// The dialog comes with the wizard; until then the offer is declined.
bool support_offer_accepted(const std::u16string&) { return false; }

// The windows come with the wizard; until then the run has none.
void create_background_window(const UninstallDisplay&) {}
void open_progress_window() {}
void close_progress_window() {}
void activate_progress_window() {}
void show_step_text(const std::u16string&) {}
void post_progress(int) {}
HWND message_owner() { return setup::program.main_window; }

void run_batch(const std::string& commands, bool hidden) { integration::run_batch(commands, hidden); }

void remove_from_system_path(const std::u16string& folder, const std::u16string& install_folder) {
  integration::change_system_path(integration::PathChange::remove, folder, install_folder);
}

// Firewall exceptions come with their own part, which owns the firewall
// service's interfaces.
void remove_firewall_exception(const FirewallRecord&, const std::u16string&) {}

// Notification requests come with the network worker; until then an address
// is only expanded, so that its placeholders are checked.
void send_uninstall_notification(const std::string& address) {
  if (!address.empty()) (void)engine::expand_notification_address(address);
}

}  // namespace uninstall::seams
