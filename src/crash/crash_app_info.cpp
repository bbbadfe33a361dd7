#include "crash_report.h"

#include "section_head.h"

namespace crash {

// The vendor's crash mailbox and web form; docs/crash-report.md names them.
inline constexpr char kSenderAddress[] = "crash-reports@tessaline.example";
inline constexpr char kFormAddress[] = "http://crash-reports.tessaline.example/report";

AppInfo shipped_app_info() {
  AppInfo info;
  info.name = "Tessaline Setup";
  info.version = setup::kFormatVersion;
  info.edition = "Standard";
  info.vendor = "Quarnelle";
  info.sender = kSenderAddress;
  info.extra_header = "X-Quarnelle-Internal: 2";
  info.form_address = kFormAddress;
  return info;
}

}  // namespace crash
