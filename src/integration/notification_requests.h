#pragma once
// Notification requests: the author's web addresses told of installation
// and uninstallation events, in the background. One worker thread per
// process sends them in the order they were asked for; a request that fails
// is dropped without a word.
#include <string>

namespace integration {

// Queues a request to the address, its placeholders filled; returns at once.
// Nothing for an empty or blank address. The first request of the run opens
// the internet session, authorises this executable in the firewall and
// starts the worker; the exit routine then waits for every queued request.
void send_notification(const std::string& address);

}  // namespace integration
