#pragma once
// Closing the product's running programs before its files are replaced or
// removed, by the author's rules.
#include <cstdint>
#include <span>

#include "settings.h"

namespace setup {

// Applies the rules that name the phase (CloseRule::k... bits); false when
// the user cancelled at a rule that asks.
bool close_applications(std::span<const CloseRule> rules, std::uint8_t phase);

}  // namespace setup
