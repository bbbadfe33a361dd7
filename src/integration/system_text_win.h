#pragma once
// The system's text for an error code (Windows only), as the integration
// steps put it into the log and the error report.
#include <windows.h>

#include <string>

#include "system_error.h"

namespace integration {

using kv::system_error_text;

}  // namespace integration
