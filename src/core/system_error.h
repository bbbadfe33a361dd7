#pragma once
// The system's own words for its error codes, and the core library's file
// error number for a system error.
#include <cstdint>
#include <string>

namespace kv {

// FormatMessage's text without its trailing line end; empty when the system
// has none.
std::u16string system_message(std::uint32_t code);
// The same, "Error <code>" when the system has none.
std::u16string system_error_text(std::uint32_t code);

// The file error number (file_errors.h) that best describes a system error
// met while opening, reading or writing a file.
int file_error_from_system(std::uint32_t code);

}  // namespace kv
