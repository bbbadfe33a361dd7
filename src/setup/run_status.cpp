#include "run_status.h"

#include "localised.h"
#include "run_state.h"

namespace setup {

// A step's text stays at least the settings' minimum time before the next
// replaces it; the file paths shown within a step do not wait.
void show_step(int text_number) {
  wait_minimum_display();
  show_step_text(localised(text_number));
}

void show_step_text(const std::u16string& text) {
  if (run.status_hooks.show_text) run.status_hooks.show_text(text);
}

void post_progress(int percent) {
  if (run.status_hooks.post_progress) run.status_hooks.post_progress(percent);
}

void close_progress_window() {
  if (run.status_hooks.close_window) run.status_hooks.close_window();
}

void wait_minimum_display() {
  if (run.status_hooks.wait_minimum_display) run.status_hooks.wait_minimum_display();
}

}  // namespace setup
