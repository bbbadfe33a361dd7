#pragma once
// Opening the installation data carried in the executable's own file.

namespace setup {

// Finds and checks the installation data; ends the run with the matching
// fatal message when there is none or it is damaged.
void open_installation_data();

}  // namespace setup
