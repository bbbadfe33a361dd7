#pragma once
// The date-time record of file entries and settings: six signed integers.
#include <cstdint>

namespace setup {

// Invalid when the month is 0 or the hour is negative.
struct DateTimeRecord {
  std::int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  bool operator==(const DateTimeRecord&) const = default;
};

}  // namespace setup
