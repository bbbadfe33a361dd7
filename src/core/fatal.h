#pragma once
// The one way to stop the process on an unrecoverable error.
//
// A fatal error runs the clean-up handlers, then hands the text to the
// registered callback (the installer shows it and leaves through its exit
// routine); whatever the callback does, the process ends with exit code 1.
// A second fatal error while the first is handled ends the process at once.
#include <cstddef>
#include <string>
#include <string_view>

namespace kv {

// Texts are cut at this many characters (the buffer holds one more for the
// terminator).
inline constexpr std::size_t kFatalTextLimit = 4095;

using FatalCallback = void (*)(const char* text);
using FatalCallbackW = void (*)(const char16_t* text);
using FatalCleanup = void (*)(const char* text);

[[noreturn]] void fatal(const char* format, ...) __attribute__((format(printf, 1, 2)));
[[noreturn]] void fatal_text(std::string_view text);
[[noreturn]] void fatal_w(std::u16string_view text);

void set_fatal_callback(FatalCallback callback);
void set_fatal_callback_w(FatalCallbackW callback);
void add_fatal_cleanup(FatalCleanup handler);

// "Internal Fatal Error\r\nModule: %s\r\nLine: %d"
[[noreturn]] void internal_assertion(const char* module, int line);

// Ends the process with the code, without running anything else.
[[noreturn]] void terminate_process(int code);

// Formats like printf into at most kFatalTextLimit characters.
std::string format_limited(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace kv

#define KV_ASSERT(cond) ((cond) ? (void)0 : ::kv::internal_assertion(__FILE__, __LINE__))
