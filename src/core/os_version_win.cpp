// The cached query of the running system's version. RtlGetVersion is asked
// rather than GetVersionEx, which reports what the program's manifest and
// compatibility settings allow it to see instead of the real version.
#include <windows.h>

#include "os_version.h"
#include "text.h"

namespace kv {
namespace {

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, BOOL*);
using GetProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, DWORD*);

template <class Fn>
Fn system_entry(const wchar_t* module, const char* name) {
  HMODULE m = GetModuleHandleW(module);
  return m ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

OsVersion query_os_version() {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  auto rtl_get_version = system_entry<RtlGetVersionFn>(L"ntdll.dll", "RtlGetVersion");
  if (!rtl_get_version || rtl_get_version(&info) != 0) {
    info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) {
      // Systems without the extended record.
      info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
      GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info));
    }
  }

  OsVersion os;
  os.major = info.dwMajorVersion;
  os.minor = info.dwMinorVersion;
  os.platform = info.dwPlatformId;
  // The 9x family keeps its version in the high word of the build number.
  os.build = os.platform == kPlatformNt ? info.dwBuildNumber : (info.dwBuildNumber & 0xFFFF);
  os.product_type = info.wProductType ? info.wProductType : kProductWorkstation;
  os.service_pack = utf16_to_utf8(std::u16string(reinterpret_cast<const char16_t*>(info.szCSDVersion)));
  while (!os.service_pack.empty() && os.service_pack.back() == ' ') os.service_pack.pop_back();
  while (!os.service_pack.empty() && os.service_pack.front() == ' ') os.service_pack.erase(0, 1);
  os.service_pack_major = info.wServicePackMajor;
  os.service_pack_minor = info.wServicePackMinor;

  BOOL wow64 = FALSE;
  auto is_wow64 = system_entry<IsWow64ProcessFn>(L"kernel32.dll", "IsWow64Process");
  if (is_wow64 && is_wow64(GetCurrentProcess(), &wow64)) os.windows_64bit = wow64 != FALSE;

  os.server_r2 = GetSystemMetrics(SM_SERVERR2) != 0;
  os.home_server = (info.wSuiteMask & VER_SUITE_WH_SERVER) != 0;
  DWORD product = 0;
  auto get_product_info = system_entry<GetProductInfoFn>(L"kernel32.dll", "GetProductInfo");
  if (get_product_info && get_product_info(os.major, os.minor, 0, 0, &product) &&
      product == PRODUCT_HOME_PREMIUM_SERVER)
    os.home_server = true;
  return os;
}

}  // namespace

const OsVersion& os_version() {
  static const OsVersion cached = query_os_version();
  return cached;
}

}  // namespace kv
