#pragma once
// The Windows Installer library, loaded from the system folder on first use
// and kept loaded for the rest of the process. Windows only.
#include <windows.h>

#include <cstdint>
#include <string>

namespace engine {

// The result when the library or its installation entry is missing
// (ERROR_CALL_NOT_IMPLEMENTED).
inline constexpr std::uint32_t kMsiLibraryMissing = 120;

// Sets the installer's user-interface level, owned by `owner` (when the
// library can set it), then installs or changes the package with the
// command line. The installation's result, or kMsiLibraryMissing. The
// package's own code runs inside: callers guard the call.
std::uint32_t msi_install_product(const std::u16string& package, int ui_level, HWND owner,
                                  const wchar_t* command_line);

}  // namespace engine
