#include "system_restart.h"

#include <windows.h>

#include <cstdlib>
#include <string_view>

#include "silent.h"
#include "win_handles.h"

namespace kv {

bool restart_system() {
  trace(u"restart requested");
  const char* suppressed = std::getenv("TESSALINE_NO_RESTART");
  if (suppressed && std::string_view(suppressed) == "1") return true;
  if (suppressed && std::string_view(suppressed) == "refuse") return false;
  UniqueHandle token;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid))
      AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
  }
  // Planned, application, installation.
  constexpr DWORD kReason = SHTDN_REASON_FLAG_PLANNED | SHTDN_REASON_MAJOR_APPLICATION |
                            SHTDN_REASON_MINOR_INSTALLATION;
  return ExitWindowsEx(EWX_REBOOT | EWX_FORCEIFHUNG, kReason) != 0;
}

}  // namespace kv
