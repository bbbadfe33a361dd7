#include "firewall_exceptions.h"

namespace integration {

// The firewall service's interfaces come with the exceptions themselves;
// until then there is nothing to remove.
void add_firewall_exceptions() {}
void remove_firewall_exception(const uninstall::FirewallRecord&, const std::u16string&) {}

}  // namespace integration
