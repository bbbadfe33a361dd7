#pragma once
// The switch that makes the whole program windowless, and the trace hook
// that receives every text silent operation suppressed.
//
// The hook does nothing for users. When the environment variable
// TESSALINE_TRACE names a file, every suppressed text and every fatal text is
// appended to it as UTF-8: tests of silent runs read their messages there.
#include <string_view>

namespace kv {

struct SilentSwitch {
  bool window_creation_disallowed = false;
};
extern SilentSwitch silent_switch;

inline bool window_creation_disallowed() { return silent_switch.window_creation_disallowed; }

using TraceHook = void (*)(std::u16string_view text);
void set_trace_hook(TraceHook hook);

// Passes a suppressed text to the hook.
void trace(std::u16string_view text);
// Every fatal text goes to the trace whether or not the run is silent.
void trace_fatal(std::u16string_view text);

// Installs the hook that appends to the file named by TESSALINE_TRACE, when
// that variable is set.
void install_trace_file_from_environment();

}  // namespace kv
