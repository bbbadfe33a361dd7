#pragma once
// How the container reports its progress while the archive is verified and
// walked. The runtime forwards these to the progress window; the defaults do
// nothing, so tests and the builder need not care.
namespace setup {

class ContainerProgress {
 public:
  virtual ~ContainerProgress() = default;
  // Keeps the current step text visible for the minimum display time.
  virtual void wait_minimum_display() {}
  // Shows localised string `text_number` as the step text.
  virtual void show_step(int text_number) {}
  // Moves the progress bar to `percent` (0 to 100).
  virtual void post_progress(int percent) {}
};

}  // namespace setup
