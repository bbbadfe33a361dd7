// The registrations come with their own part; until then installed
// components are left as files and nothing is logged.
#include "component_registration.h"

namespace engine {

void install_msi_package(const setup::FileEntry&, const std::u16string&) {}
void register_control_panel_applet(const setup::FileEntry&, const std::u16string&) {}
void register_collected_components(const FileLoopLists&) {}

}  // namespace engine
