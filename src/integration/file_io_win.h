#pragma once
// Whole-file reads and writes of the integration steps (Windows only).
#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace integration {

// Replaces the file with the bytes. ERROR_SUCCESS or the system's error; a
// file that could not be written completely is deleted again.
DWORD write_whole_file(const std::u16string& path, std::span<const std::uint8_t> bytes);
DWORD write_whole_file(const std::u16string& path, std::string_view bytes);

// The whole file, or nothing when it cannot be opened.
std::optional<std::string> read_whole_file(const std::u16string& path);

}  // namespace integration
