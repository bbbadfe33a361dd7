#include "crash_filter.h"

namespace crash {

FilterAnswer filter_answer(std::uint32_t code, bool step_installed, bool reporting) {
  switch (code) {
    case 0x80000003:  // breakpoint
    case 0x80000004:  // single step
    case 0xC0000025:  // noncontinuable
    case 0xE06D7363:  // a C++ exception
      return FilterAnswer::pass_on;
    default:
      return step_installed && !reporting ? FilterAnswer::report : FilterAnswer::pass_on;
  }
}

}  // namespace crash
