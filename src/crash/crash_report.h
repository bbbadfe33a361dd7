#pragma once
// The unhandled-exception report: the filter, installed first of all at
// start, turns a crash of either run into a report in the error report and
// the installation log, shows it, and sends it to the vendor's web form when
// the user asks.
#include <string>

namespace crash {

// What the report says about the program and where it goes.
struct AppInfo {
  std::string name;          // "Tessaline Setup"
  std::string version;       // the program's version
  std::string edition;
  std::string vendor;        // named in the dialog's apology
  std::string sender;        // the crash mail's sender; empty: no sending
  std::string extra_header;  // the mail's first header line
  std::string form_address;  // the vendor's web form (http:)
};

// The runtime's own: the addresses are the vendor's and cannot be changed.
AppInfo shipped_app_info();

// Remembers the information and installs the process-wide filter (Windows
// only). The calling thread counts as the main thread.
void install_crash_filter(const AppInfo& info = shipped_app_info());

}  // namespace crash
