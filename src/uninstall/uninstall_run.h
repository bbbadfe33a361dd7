#pragma once
// An uninstall run ("/u:name"): removal of an installed product.
#include <string>

namespace uninstall {

// Uninstalls the named product; on success sends the uninstall notification
// and starts the self-removal. Returns to the entry, which exits with 0.
void run_uninstall_mode(const std::u16string& product_name);

}  // namespace uninstall
