#pragma once
// What the uninstall run needs from parts of the program that come later or
// live in other subsystems: closing running applications, the wizard's
// windows and its support-offer dialog, the batch runner and the PATH edit,
// firewall exceptions and notification requests. Each is one small function
// here (Windows only), so that each can be pointed at its real
// implementation in one place.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "uninstall_data.h"
#include "uninstall_records.h"
#include "uninstaller.h"

namespace uninstall::seams {

// Applies the close rules of a phase (kPhaseBeforeQuestion or
// kPhaseAfterQuestion); false when the user cancelled a rule that asks.
bool close_applications(const std::vector<CloseRule>& rules, std::uint8_t phase);

// The "SupportOffer" dialog; true when the user accepted the offer.
bool support_offer_accepted(const std::u16string& address);

// The wizard's background window and the progress window.
void create_background_window(const UninstallDisplay& display);
void open_progress_window();
void close_progress_window();
void activate_progress_window();
void show_step_text(const std::u16string& text);
void post_progress(int percent);
// The owner of the run's message boxes: the progress window when it exists,
// else the background window.
HWND message_owner();

// The author's uninstall batch (code page 1252 text), without a title.
void run_batch(const std::string& commands, bool hidden);
// Takes a folder out of the system PATH.
void remove_from_system_path(const std::u16string& folder, const std::u16string& install_folder);

// Removes a firewall exception; `program` is the program's full path (empty
// for a port).
void remove_firewall_exception(const FirewallRecord& record, const std::u16string& program);

// The notification request of a finished uninstallation.
void send_uninstall_notification(const std::string& address);

}  // namespace uninstall::seams
