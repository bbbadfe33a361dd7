#pragma once
// The running system's version facts and the names and numbers the
// installer derives from them: the %OS% number, the short name used in path
// variables and notification addresses, and the long name of the log.
#include <cstdint>
#include <string>

namespace kv {

// Platform ids as the system reports them.
inline constexpr std::uint32_t kPlatformWin32s = 0;
inline constexpr std::uint32_t kPlatform9x = 1;
inline constexpr std::uint32_t kPlatformNt = 2;

// Product types as the system reports them.
inline constexpr std::uint8_t kProductWorkstation = 1;
inline constexpr std::uint8_t kProductDomainController = 2;
inline constexpr std::uint8_t kProductServer = 3;

struct OsVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::uint32_t platform = kPlatformNt;
  std::uint8_t product_type = kProductWorkstation;
  bool windows_64bit = false;
  bool home_server = false;   // Windows Home Server (5.2) or its 2011 product (6.1)
  bool server_r2 = false;     // the system reports the R2 release of its server
  std::string service_pack;   // "Service Pack 1"; empty when none
  std::uint32_t service_pack_major = 0;
  std::uint32_t service_pack_minor = 0;

  bool workstation() const { return product_type == kProductWorkstation; }
};

// The %OS% number: 0 off NT and for versions without a number of their own.
int os_number(const OsVersion& os);
// "XP", "7", "2008", "10", "NT 6.5", ...: no "Windows " prefix, no edition,
// no service pack, no " x64".
std::string os_short_name(const OsVersion& os);
// "Windows 7", "Windows XP": the short name behind "Windows ".
std::string os_display_name(const OsVersion& os);
// "Windows 7 Service Pack 1 x64": the name, the service pack and " x64".
std::string os_long_name(const OsVersion& os);

// The running system, queried once per process (Windows only). The query
// sees the real version, whatever the program's compatibility settings say.
const OsVersion& os_version();

}  // namespace kv
