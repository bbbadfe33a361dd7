#include "fatal.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "crash_guard.h"
#include "silent.h"
#include "text.h"

namespace kv {
namespace {

struct FatalState {
  bool in_progress = false;
  FatalCallback callback = nullptr;
  FatalCallbackW callback_w = nullptr;
  std::vector<FatalCleanup> cleanups;
};

FatalState& state() {
  static FatalState s;
  return s;
}

constexpr int kMaxCleanups = 100;

std::string vformat_limited(const char* format, va_list args) {
  char buffer[kFatalTextLimit + 1];
  int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  if (n < 0) buffer[0] = 0;
  buffer[kFatalTextLimit] = 0;
  return buffer;
}

}  // namespace

std::string format_limited(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = vformat_limited(format, args);
  va_end(args);
  return text;
}

void set_fatal_callback(FatalCallback callback) { state().callback = callback; }
void set_fatal_callback_w(FatalCallbackW callback) { state().callback_w = callback; }
void add_fatal_cleanup(FatalCleanup handler) { state().cleanups.push_back(handler); }

void fatal(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = vformat_limited(format, args);
  va_end(args);
  fatal_text(text);
}

void fatal_text(std::string_view text_in) {
  FatalState& s = state();
  if (s.in_progress) terminate_process(1);
  s.in_progress = true;

  std::string text(text_in.substr(0, kFatalTextLimit));
  trace_fatal(ansi_to_utf16(text));

  for (int i = 0; i < kMaxCleanups && !s.cleanups.empty(); ++i) {
    FatalCleanup handler = s.cleanups.back();
    s.cleanups.pop_back();
    crash_guard([&] { handler(text.c_str()); });
  }
  if (s.callback) s.callback(text.c_str());
  terminate_process(1);
}

void fatal_w(std::u16string_view text_in) {
  FatalState& s = state();
  if (s.in_progress) terminate_process(1);
  s.in_progress = true;

  std::u16string text(text_in.substr(0, kFatalTextLimit));
  trace_fatal(text);
  if (s.callback_w) {
    s.callback_w(text.c_str());
  } else if (s.callback) {
    s.callback(utf16_to_ansi(text).c_str());
  }
  terminate_process(1);
}

void internal_assertion(const char* module, int line) {
  const char* base = module;
  for (const char* p = module; *p; ++p)
    if (*p == '/' || *p == '\\') base = p + 1;
  fatal("Internal Fatal Error\r\nModule: %s\r\nLine: %d", base, line);
}

}  // namespace kv
