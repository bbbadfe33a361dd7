#pragma once
// The uninstall key on the machine (Windows only): where it lives and how
// its values are read back.
#include <windows.h>

#include <string>

#include "registry.h"
#include "uninstall_key.h"

namespace integration {

// The key lives in the process's own registry view: the completion writes it
// there, and the uninstaller and the next installation look for it there.
inline constexpr kv::RegView kUninstallKeyView = kv::RegView::native32;

// Opens the product's key; empty on failure (the system's error in `error`).
kv::UniqueRegKey open_uninstall_key(std::u16string_view key_name, REGSAM access, LONG* error = nullptr);

// Reads everything the key holds of the product. An absent value gives the
// default the installation meant by leaving it out.
InstalledProduct read_installed_product(HKEY key);

}  // namespace integration
