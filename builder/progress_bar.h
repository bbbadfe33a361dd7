#pragma once
// The progress bar on the terminal: only for payloads of a few megabytes or
// more, only when the error stream is a terminal, and never with --quiet.
#include <cstdint>
#include <cstdio>
#include <string>

namespace builder {

inline constexpr std::uint64_t kProgressBarThreshold = 4u << 20;

// The line drawn for done out of total bytes, such as
// "[##########----------]  50%  2.0 / 4.0 MB".
std::string progress_line(std::uint64_t done, std::uint64_t total, int width = 30);

class ProgressBar {
 public:
  ProgressBar(std::FILE* out, bool terminal, bool quiet) : out_(out), wanted_(terminal && !quiet) {}
  void update(std::uint64_t done, std::uint64_t total);
  // Ends the line when a bar was drawn.
  void finish();

 private:
  std::FILE* out_;
  bool wanted_;
  bool drawn_ = false;
  int last_percent_ = -1;
};

}  // namespace builder
