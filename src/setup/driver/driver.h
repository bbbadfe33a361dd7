#pragma once
// The installation run: the ordered sequence from the settings to the exit.

namespace setup {

// Runs the whole installation; never returns.
[[noreturn]] void run_installation();

}  // namespace setup
