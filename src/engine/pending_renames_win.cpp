#include <windows.h>

#include "pending_renames.h"
#include "registry.h"

namespace engine {
namespace {

const std::u16string kSessionManager = u"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const std::u16string kPendingValue = u"PendingFileRenameOperations";

}  // namespace

bool read_pending_renames(std::vector<PendingRename>& renames) {
  renames.clear();
  kv::UniqueRegKey key = kv::reg_open(HKEY_LOCAL_MACHINE, kSessionManager, KEY_QUERY_VALUE);
  if (!key) return false;
  DWORD type = 0;
  if (RegQueryValueExW(key.get(), kv::as_wide(kPendingValue), nullptr, &type, nullptr, nullptr) ==
      ERROR_FILE_NOT_FOUND)
    return true;
  auto strings = kv::reg_read_multi_string(key.get(), kPendingValue);
  if (!strings) return false;
  renames = pending_renames_from_strings(*strings);
  return true;
}

long write_pending_renames(const std::vector<PendingRename>& renames) {
  LONG error = ERROR_SUCCESS;
  kv::UniqueRegKey key =
      kv::reg_open(HKEY_LOCAL_MACHINE, kSessionManager, KEY_QUERY_VALUE | KEY_SET_VALUE, kv::RegView::wow64_64, &error);
  if (!key) return error;
  if (renames.empty()) {
    LONG rc = kv::reg_delete_value(key.get(), kPendingValue);
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
  }
  return kv::reg_write_multi_string(key.get(), kPendingValue, pending_renames_to_strings(renames));
}

}  // namespace engine
