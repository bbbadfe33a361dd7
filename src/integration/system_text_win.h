#pragma once
// The system's text for an error code (Windows only), as the integration
// steps put it into the log and the error report.
#include <windows.h>

#include <string>

namespace integration {

// FormatMessage's text without its trailing line end; "Error <code>" when the
// system has none.
std::u16string system_error_text(DWORD code);

}  // namespace integration
