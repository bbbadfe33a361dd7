#pragma once
// Which unhandled exceptions the crash filter reports.
#include <cstdint>

namespace crash {

enum class FilterAnswer {
  pass_on,  // the search for a handler goes on, as without the filter
  report,
};

// Breakpoints, single steps, a continuation after a noncontinuable exception
// and C++ exceptions are passed on, as is everything while no report step is
// installed or a report is already being made (a crash inside the report).
FilterAnswer filter_answer(std::uint32_t code, bool step_installed, bool reporting);

}  // namespace crash
