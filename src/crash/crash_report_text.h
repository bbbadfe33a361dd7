#pragma once
// The crash report's text, from the facts of the crash.
#include <cstdint>
#include <string>
#include <string_view>

#include "crash_facts.h"

namespace crash {

inline constexpr std::size_t kMaxStackFrames = 100;
inline constexpr std::size_t kMaxSymbolLength = 2000;

// The description of an exception code; empty for codes it does not know.
std::string_view exception_description(std::uint32_t code);

// The name of the module whose address range holds the address; empty when
// none does.
std::string module_of(const std::vector<LoadedModule>& modules, std::uint32_t address);

// Every line ends in CR LF; hexadecimal numbers have eight upper-case digits.
std::string crash_report_text(const CrashFacts& facts);

}  // namespace crash
