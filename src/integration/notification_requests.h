#pragma once
// Notification requests: the author's web addresses told of installation
// and uninstallation events, in the background.
#include <string>

namespace integration {

// Queues a request to the address (nothing for an empty one).
void send_notification(const std::string& address);

}  // namespace integration
