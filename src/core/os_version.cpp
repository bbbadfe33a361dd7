#include "os_version.h"

namespace kv {
namespace {

std::string two_numbers(const char* prefix, std::uint32_t major, std::uint32_t minor) {
  return prefix + std::to_string(major) + "." + std::to_string(minor);
}

bool is_nt(const OsVersion& os) { return os.platform == kPlatformNt; }

}  // namespace

int os_number(const OsVersion& os) {
  if (!is_nt(os)) return 0;
  const bool ws = os.workstation();
  switch (os.major * 100 + os.minor) {
    case 501: return 20;
    case 502:
      if (os.home_server) return 28;
      if (ws) return os.windows_64bit ? 24 : 20;
      return os.server_r2 ? 26 : 22;
    case 600: return ws ? 30 : 32;
    case 601:
      if (os.home_server) return 38;
      return ws ? 36 : 34;
    case 602: return ws ? 40 : 42;
    case 603: return ws ? 44 : 46;
    case 604: return 48;
    case 1000:
      if (ws) return 48;
      return os.build < 17733 ? 50 : 52;
    default: return 0;
  }
}

std::string os_short_name(const OsVersion& os) {
  if (os.platform == kPlatformWin32s) return two_numbers("", os.major, os.minor);
  if (os.platform == kPlatform9x) {
    if (os.major != 4) return two_numbers("9x ", os.major, os.minor);
    if (os.minor <= 9) return "95";
    if (os.minor >= 90) return "ME";
    return "98";
  }
  if (!is_nt(os)) return {};
  const bool ws = os.workstation();
  switch (os.major) {
    case 5:
      switch (os.minor) {
        case 0: return "2000";
        case 1: return "XP";
        case 2: return (os.home_server || (ws && os.windows_64bit)) ? "XP" : "2003";
        default: return "NT 5." + std::to_string(os.minor);
      }
    case 6:
      switch (os.minor) {
        case 0: return ws ? "Vista" : "2008";
        case 1: return (ws || os.home_server) ? "7" : "2008";
        case 2: return ws ? "8" : "2012";
        case 3: return ws ? "8" : "2012";
        case 4: return "10";
        default: return "NT6";
      }
    case 10:
      if (os.minor == 0) {
        if (ws) return "10";
        return os.build > 17732 ? "2019" : "2016";
      }
      break;
  }
  return two_numbers("NT ", os.major, os.minor);
}

std::string os_display_name(const OsVersion& os) { return "Windows " + os_short_name(os); }

std::string os_long_name(const OsVersion& os) {
  const std::string short_name = os_short_name(os);
  std::string name = short_name.empty() ? "Windows" : "Windows " + short_name;
  if (is_nt(os)) {
    const bool ws = os.workstation();
    switch (os.major * 100 + os.minor) {
      case 502:
        if (os.home_server)
          name = "Windows Home Server";
        else if (!ws)
          name = os.server_r2 ? "Windows Server 2003 R2" : "Windows Server 2003";
        break;
      case 600:
        if (!ws) name = "Windows Server 2008";
        break;
      case 601:
        if (os.home_server)
          name = "Windows Home Server 2011";
        else if (!ws)
          name = "Windows Server 2008 R2";
        break;
      case 602:
        if (!ws) name = "Windows Server 2012";
        break;
      case 603:
        name = ws ? "Windows 8.1" : "Windows Server 2012 R2";
        break;
      case 1000:
        if (ws)
          name = os.build >= 22000 ? "Windows 11" : "Windows 10";
        else if (os.build >= 20348)
          name = "Windows Server 2022";
        else
          name = "Windows Server " + short_name;
        break;
    }
  }
  if (!os.service_pack.empty()) name += " " + os.service_pack;
  if (os.windows_64bit) name += " x64";
  return name;
}

}  // namespace kv
