#pragma once
// The behaviour flags as the description names them: each boolean key of a
// section sets or clears one bit of `ProductFlags` (low or high word) or
// `ProductFlags2`. docs/product.md lists them for authors.
#include <cstdint>
#include <span>
#include <string_view>

#include "settings.h"

namespace builder {

enum class FlagWord { low, high, flags2 };

struct NamedFlag {
  std::string_view section;  // "wizard" for [wizard]
  std::string_view key;
  FlagWord word;
  std::uint32_t bit;
  bool default_value;
  bool bit_when;  // the value that sets the bit (false: the key turns a behaviour off)
};

extern const std::span<const NamedFlag> kNamedFlags;

// ProductFlags (both words) and ProductFlags2 while a description is read.
struct FlagWords {
  setup::ProductFlagWords product;
  std::uint32_t flags2 = 0;

  void set(FlagWord word, std::uint32_t bit, bool on);
  bool has(FlagWord word, std::uint32_t bit) const;
  void apply(const NamedFlag& flag, bool value) { set(flag.word, flag.bit, value == flag.bit_when); }
};

// Every named flag at its default.
FlagWords default_flag_words();

}  // namespace builder
