#pragma once
// The unhandled-exception report.

namespace crash {

// Installs the process-wide filter that turns an unhandled crash into a
// report instead of the system's error box.
void install_crash_filter();

}  // namespace crash
