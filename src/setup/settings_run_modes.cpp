#include "settings_run_modes.h"

namespace setup {

bool automatic_after_settings(std::uint8_t choice, bool automatic, bool silent) {
  if (choice == 1) return true;
  if (choice == 2) return silent;
  return automatic;
}

ProductFlagWords forced_for_silent(ProductFlagWords flags) {
  flags.low = (flags.low & ~kSilentClearLow) | kSilentSetLow;
  flags.high = (flags.high & ~kSilentClearHigh) | kSilentSetHigh;
  return flags;
}

bool wants_background_window(ProductFlagWords flags, bool silent) {
  return !silent && !flags.has_low(flags_low::kNoBackgroundWindow);
}

}  // namespace setup
