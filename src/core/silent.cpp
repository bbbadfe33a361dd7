#include "silent.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "text.h"

namespace kv {

SilentSwitch silent_switch;

namespace {
TraceHook g_hook = nullptr;
std::string g_trace_path;

void append_to_trace_file(std::u16string_view text) {
  // Opened for each record so that nothing is lost when the process ends
  // abruptly, and so that several runs can share one file.
  std::FILE* f = std::fopen(g_trace_path.c_str(), "ab");
  if (!f) return;
  std::string utf8 = utf16_to_utf8(text);
  utf8 += "\r\n";
  std::fwrite(utf8.data(), 1, utf8.size(), f);
  std::fclose(f);
}
}  // namespace

void set_trace_hook(TraceHook hook) { g_hook = hook; }

void trace(std::u16string_view text) {
  if (g_hook) g_hook(text);
}

void trace_fatal(std::u16string_view text) {
  trace(u"fatal error\r\n" + std::u16string(text));
}

void install_trace_file_from_environment() {
  const char* path = std::getenv("TESSALINE_TRACE");
  if (!path || !*path) return;
  g_trace_path = path;
  set_trace_hook(append_to_trace_file);
}

}  // namespace kv
