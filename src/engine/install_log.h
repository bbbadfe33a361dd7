#pragma once
// The installation log and the error report.
//
// Every step of an installation writes what it did into the run log, a
// temporary file (install_log_win.h opens it) that finish_log later appends
// to Install.log behind a header. The log is UTF-8: narrow texts are taken as
// code page 1252, wide texts are converted directly, and what cannot be
// converted becomes "?". No operation adds a line end of its own; writes
// never fail visibly (a failed write is lost).
//
// A failure that must reach the user also goes into the error report, a
// narrow text in the ANSI code page shown at the end of the run and written
// under the failure summary of Install.log.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "install_log_format.h"

namespace engine {

class RunLogSink {
 public:
  virtual ~RunLogSink() = default;
  virtual void append(std::string_view utf8) = 0;
};

// What finish_log needs from the settings; the driver fills it once the
// settings are read, and the completion again with the run's restart need.
struct LogRunSettings {
  std::uint32_t product_flags_low = 0;
  std::uint32_t product_flags_high = 0;  // finish_log clears the completion offer when no log is wanted
  bool summary_has_choices = false;      // an application, program or document on the summary page
};


// The run's log and error report.
struct InstallLog {
  RunLogSink* run_log = nullptr;  // set from the start of the installation proper
  std::string error_report;       // ANSI; not empty means the run had failures
  LogRunSettings settings;
};

void log_text(const char* text);
void log_narrow(std::string_view text);
void log_wide(std::u16string_view text);
void log_format(const char* format, ...) __attribute__((format(printf, 1, 2)));
template <class... Args>
void log_wide_format(std::u16string_view format, const Args&... args) {
  log_wide(format_wide(format, args...));
}
void log_pieces(std::initializer_list<std::string_view> pieces);
void log_wide_pieces(std::initializer_list<std::u16string_view> pieces);
void log_line_end();

// Appends to the error report.
void error_report_format(const char* format, ...) __attribute__((format(printf, 1, 2)));
void error_report_append(std::u16string_view message);  // "?" for what the ANSI code page lacks

// The log's conversions.
std::string cp1252_to_utf8(std::string_view text);
// A lone surrogate becomes "?".
std::string wide_to_utf8(std::u16string_view text);

}  // namespace engine
