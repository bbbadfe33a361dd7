#include "progress_bar.h"

namespace builder {

std::string progress_line(std::uint64_t done, std::uint64_t total, int width) {
  if (done > total) done = total;
  int percent = total ? static_cast<int>(done * 100 / total) : 100;
  int filled = total ? static_cast<int>(done * static_cast<std::uint64_t>(width) / total) : width;
  std::string line(1, '[');
  line.append(static_cast<std::size_t>(filled), '#').append(static_cast<std::size_t>(width - filled), '-').append("] ");
  char text[64];
  std::snprintf(text, sizeof text, "%3d%%  %.1f / %.1f MB", percent, static_cast<double>(done) / (1 << 20),
                static_cast<double>(total) / (1 << 20));
  return line + text;
}

void ProgressBar::update(std::uint64_t done, std::uint64_t total) {
  if (!wanted_ || total < kProgressBarThreshold) return;
  int percent = static_cast<int>((done > total ? total : done) * 100 / total);
  if (percent == last_percent_) return;
  last_percent_ = percent;
  std::fprintf(out_, "\r%s", progress_line(done, total).c_str());
  std::fflush(out_);
  drawn_ = true;
}

void ProgressBar::finish() {
  if (drawn_) std::fputc('\n', out_);
  drawn_ = false;
}

}  // namespace builder
