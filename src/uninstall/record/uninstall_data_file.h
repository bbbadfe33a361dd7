#pragma once
// Uninstall.DAT on disk.
#include <cstdint>
#include <string>

#include "uninstall_data.h"

namespace uninstall {

// Replaces the file with the data's image; false when it cannot be written
// (the system's error stays the thread's last error).
bool write_uninstall_data(const UninstallData& data, const std::u16string& path);

// Reads and parses the file into `data`. Returns 0, or the system's error
// code with `data` unchanged.
std::uint32_t read_uninstall_data(const std::u16string& path, UninstallData& data);

}  // namespace uninstall
