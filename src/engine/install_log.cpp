#include "install_log.h"

#include <cstdarg>
#include <cstdio>

#include "engine_run.h"
#include "text.h"

namespace engine {


namespace {

void append(std::string_view utf8) {
  if (run.log.run_log && !utf8.empty()) run.log.run_log->append(utf8);
}

std::string vformat(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n <= 0) return {};
  std::string out(std::size_t(n) + 1, '\0');
  std::vsnprintf(out.data(), out.size(), format, args);
  out.resize(std::size_t(n));
  return out;
}

bool high_surrogate(char16_t c) { return c >= 0xD800 && c < 0xDC00; }
bool low_surrogate(char16_t c) { return c >= 0xDC00 && c < 0xE000; }

}  // namespace

std::string cp1252_to_utf8(std::string_view text) { return kv::utf16_to_utf8(kv::cp1252_to_utf16(text)); }

std::string wide_to_utf8(std::u16string_view text) {
  std::u16string clean(text);
  for (std::size_t i = 0; i < clean.size(); ++i) {
    if (high_surrogate(clean[i]) && i + 1 < clean.size() && low_surrogate(clean[i + 1]))
      ++i;
    else if (high_surrogate(clean[i]) || low_surrogate(clean[i]))
      clean[i] = u'?';
  }
  return kv::utf16_to_utf8(clean);
}

void log_text(const char* text) { log_narrow(text ? text : ""); }

void log_narrow(std::string_view text) {
  if (run.log.run_log) append(cp1252_to_utf8(text));
}

void log_wide(std::u16string_view text) {
  if (run.log.run_log) append(wide_to_utf8(text));
}

void log_format(const char* format, ...) {
  if (!run.log.run_log) return;
  va_list args;
  va_start(args, format);
  std::string text = vformat(format, args);
  va_end(args);
  log_narrow(text);
}

void log_pieces(std::initializer_list<std::string_view> pieces) {
  std::string text;
  for (std::string_view piece : pieces) text += piece;
  log_narrow(text);
}

void log_wide_pieces(std::initializer_list<std::u16string_view> pieces) {
  std::u16string text;
  for (std::u16string_view piece : pieces) text += piece;
  log_wide(text);
}

void log_line_end() { log_text("\r\n"); }

void error_report_format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  run.log.error_report += vformat(format, args);
  va_end(args);
}

void error_report_append(std::u16string_view message) { run.log.error_report += kv::utf16_to_ansi(message); }

}  // namespace engine
