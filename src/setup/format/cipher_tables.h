#pragma once
// The cipher's standard initial P-array and S-boxes.
#include <cstdint>

namespace setup {

inline constexpr int kCipherRounds = 16;

extern const std::uint32_t kCipherInitialP[kCipherRounds + 2];
extern const std::uint32_t kCipherInitialS[4][256];

}  // namespace setup
