#pragma once
// Reference counts of shared files under SharedDLLs: each installation that
// brings a shared file raises its count once; the uninstaller lowers it and
// removes the file at zero. Windows only.
#include <vector>

#include "file_install_lists.h"

namespace engine {

// Under HKEY_LOCAL_MACHINE; one 32-bit value per full path.
inline constexpr char16_t kSharedDllsKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// Raises the count of each distinct path of the list (ignoring ASCII case)
// by one; a missing value counts as 0. A key that cannot be opened goes to
// the error report, a count that cannot be written to the log.
void increment_shared_counts(const std::vector<SharedFileReference>& references);

}  // namespace engine
