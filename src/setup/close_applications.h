#pragma once
// Closing the product's running programs before its files are replaced or
// removed, by the author's rules (close_rules.h decides, this layer acts).
#include <cstdint>
#include <span>
#include <string>

#include "settings.h"

namespace setup {

// The texts of the question that a rule of mode "ask" puts to the user.
struct CloseTexts {
  std::u16string question;  // "%s" takes the rule's program name
  std::u16string caption;
};

// Applies the rules that name the phase (CloseRule::k... bits) to every
// top-level window of the desktop but the installer's own; false when the
// user cancelled at a rule that asks. Nothing is enumerated without rules.
bool close_applications(std::span<const CloseRule> rules, std::uint8_t phase, const CloseTexts& texts);

// After the installation's pass: a moment for the closed programs to go,
// the installer's windows answering meanwhile, then its main window in
// front again and repainted.
void resume_after_closing();

}  // namespace setup
