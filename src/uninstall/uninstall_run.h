#pragma once
// An uninstall run ("/u:name"): removal of an installed product.
#include <string>

#include "run_outcome.h"

namespace uninstall {

// Uninstalls the named product; on success sends the uninstall notification
// and starts the self-removal. Returns how the run ended, for the entry's
// exit.
setup::RunOutcome run_uninstall_mode(const std::u16string& product_name);

}  // namespace uninstall
