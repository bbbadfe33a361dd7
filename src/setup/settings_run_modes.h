#pragma once
// Run modes that the settings decide once they are read.
#include <cstdint>

#include "settings.h"

namespace setup {

// The automatic-mode flag after the settings' choice: 1 turns it on, 2 turns
// it off unless the run is silent, any other value keeps the command line's.
bool automatic_after_settings(std::uint8_t choice, bool automatic, bool silent);

// The flags a silent run works with: no destination page, no folder
// confirmation, no questions, no greeting, no background window.
inline constexpr std::uint32_t kSilentClearLow = 0x80000080;
inline constexpr std::uint32_t kSilentSetLow = 0x30600000;
inline constexpr std::uint32_t kSilentClearHigh = 0x0008121C;
inline constexpr std::uint32_t kSilentSetHigh = 0x00000800;
ProductFlagWords forced_for_silent(ProductFlagWords flags);

// Whether the background window is made when the settings' first fields are read.
bool wants_background_window(ProductFlagWords flags, bool silent);

}  // namespace setup
