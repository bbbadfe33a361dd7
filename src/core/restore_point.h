#pragma once
// System restore points around an installation (srclient.dll, loaded at run
// time; a system without it simply has none).
#include <cstdint>
#include <optional>
#include <string>

namespace kv {

// Begins an application-install restore point; its sequence number, or none.
std::optional<std::int64_t> begin_restore_point(const std::u16string& description);
// Ends the restore point begun with that sequence number as a success.
bool commit_restore_point(std::int64_t sequence);

}  // namespace kv
