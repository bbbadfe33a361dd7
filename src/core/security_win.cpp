#include "security_win.h"

#include <aclapi.h>

#include "win_handles.h"

namespace kv {
namespace {

// Memory that the security functions hand out with LocalAlloc.
struct LocalMemory {
  HLOCAL memory = nullptr;
  ~LocalMemory() {
    if (memory) LocalFree(memory);
  }
};

}  // namespace

DWORD grant_everyone_full_access(const std::u16string& path, bool inherit) {
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD sid_size = sizeof sid;
  if (!CreateWellKnownSid(WinWorldSid, nullptr, sid, &sid_size)) return GetLastError();

  LocalMemory descriptor;
  PACL old_acl = nullptr;
  DWORD rc = GetNamedSecurityInfoW(as_wide(path), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                   &old_acl, nullptr, reinterpret_cast<PSECURITY_DESCRIPTOR*>(&descriptor.memory));
  if (rc != ERROR_SUCCESS) return rc;

  EXPLICIT_ACCESSW access{};
  access.grfAccessPermissions = GENERIC_ALL;
  access.grfAccessMode = GRANT_ACCESS;
  access.grfInheritance = inherit ? SUB_CONTAINERS_AND_OBJECTS_INHERIT : NO_INHERITANCE;
  access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
  access.Trustee.ptstrName = reinterpret_cast<LPWSTR>(sid);

  LocalMemory new_acl;
  rc = SetEntriesInAclW(1, &access, old_acl, reinterpret_cast<PACL*>(&new_acl.memory));
  if (rc != ERROR_SUCCESS) return rc;
  std::u16string writable = path;  // the function takes a non-const name
  return SetNamedSecurityInfoW(as_wide(writable), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                               static_cast<PACL>(new_acl.memory), nullptr);
}

}  // namespace kv
