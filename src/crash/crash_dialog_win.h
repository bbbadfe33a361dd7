#pragma once
// The dialog that shows a crash's report and takes the user's note for the
// vendor (Windows only).
#include <string>

#include "crash_mail.h"

namespace crash {

// Shows "ExceptionDlg" with the report; true when the user chose "Inform
// Us", with what they typed in `note`. A silent run shows nothing.
bool show_crash_dialog(const std::string& report, const std::string& vendor, bool can_send, UserNote& note);

}  // namespace crash
