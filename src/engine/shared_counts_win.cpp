#include <windows.h>

#include <set>

#include "file_system_win.h"
#include "install_log.h"
#include "registry.h"
#include "shared_counts.h"
#include "text.h"

namespace engine {

void increment_shared_counts(const std::vector<SharedFileReference>& references) {
  // The process's own view, as for every 32-bit program: on a 64-bit system
  // the counts of 32-bit installers are kept where the system places them
  // for 32-bit programs, and the uninstaller reads them back there.
  LONG error = 0;
  kv::UniqueRegKey key = kv::reg_create(HKEY_LOCAL_MACHINE, kSharedDllsKey, KEY_QUERY_VALUE | KEY_SET_VALUE,
                                        kv::RegView::native32, &error);
  if (!key) {
    error_report_format("Registry error: unable to increment shared file reference counts.\r\n\r\n");
    return;
  }
  std::set<std::u16string> counted;
  for (const SharedFileReference& reference : references) {
    std::u16string path = kv::from_marked(reference.path);
    if (!counted.insert(path_set_key(path)).second) continue;
    std::uint32_t count = kv::reg_read_dword(key.get(), path).value_or(0);
    LONG written = kv::reg_write_dword(key.get(), path, count + 1);
    if (written != ERROR_SUCCESS)
      log_wide_pieces({u"Failed to increment reference count of shared file \"", path, u"\" : ",
                       system_error_text(std::uint32_t(written)), u"\r\n"});
  }
}

}  // namespace engine
