#pragma once
// The run's step texts and progress percentages. Every part of a run
// reports through these; the progress window (a later layer) receives them
// through the hooks while it is open, and they go nowhere when it is not.
#include <string>

#include "container_progress.h"

namespace setup {

struct StatusHooks {
  void (*show_text)(const std::u16string& text) = nullptr;
  void (*post_progress)(int percent) = nullptr;
  // Keeps the current step text visible for the settings' minimum display
  // time.
  void (*wait_minimum_display)() = nullptr;
  // Closes the window at the end of the copy phase.
  void (*close_window)() = nullptr;
};

// Localised string n as the step text.
void show_step(int text_number);
void show_step_text(const std::u16string& text);
// 0 to 100.
void post_progress(int percent);
void wait_minimum_display();
void close_progress_window();

// The container's reports, forwarded to the run's status.
class RunStatusProgress final : public ContainerProgress {
 public:
  void wait_minimum_display() override { setup::wait_minimum_display(); }
  void show_step(int text_number) override { setup::show_step(text_number); }
  void post_progress(int percent) override { setup::post_progress(percent); }
};

}  // namespace setup
