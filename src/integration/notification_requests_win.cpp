#include "notification_requests.h"

#include "path_variables_win.h"

namespace integration {

// The requests come with the network worker; until then an address is only
// expanded, so that its placeholders are checked.
void send_notification(const std::string& address) {
  if (!address.empty()) (void)engine::expand_notification_address(address);
}

}  // namespace integration
