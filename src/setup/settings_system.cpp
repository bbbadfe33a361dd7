#include "settings_system.h"

#include <tuple>

namespace setup {

std::uint32_t system_family_of(const kv::OsVersion& os) {
  namespace f = system_family;
  if (os.platform == kv::kPlatform9x) return f::kWindows9x;
  if (os.platform != kv::kPlatformNt) return 0;
  // Home Server editions count with the workstation of their version.
  const bool server = !os.workstation() && !os.home_server;
  switch (os.major * 100 + os.minor) {
    case 400: return f::kWindowsNT4;
    case 500: return f::kWindows2000;
    case 501: return f::kWindowsXP;
    case 502: return server ? f::kServer2003 : f::kWindowsXP;
    case 600: return server ? f::kServer2008 : f::kWindowsVista;
    case 601: return server ? f::kServer2008 : f::kWindows7;
    case 602: return server ? f::kServer2012 : f::kWindows8;
    case 603: return server ? f::kServer2012 : f::kWindows81;
    case 604:  // early builds of Windows 10
    case 1000:
      if (server) return f::kServer2016;
      return os.build >= 22000 ? f::kWindows11 : f::kWindows10;
    default: return 0;
  }
}

SystemVersion running_system_version(const kv::OsVersion& os) {
  return {os.major, os.minor, os.build, os.service_pack_major, os.service_pack_minor};
}

bool meets_minimum_system(const SystemVersion& running, const SystemVersion& minimum) {
  auto key = [](const SystemVersion& v) {
    return std::tie(v.major, v.minor, v.build, v.service_pack_major, v.service_pack_minor);
  };
  return minimum.empty() || key(running) >= key(minimum);
}

}  // namespace setup
