#pragma once
// The installation engine's process-wide state: the path variables' run
// values, the installation log and error report, the restart needs and the
// lists the file loop fills for the steps after it.
#include <set>
#include <string>

#include "file_install_lists.h"
#include "install_log.h"
#include "path_variables.h"
#include "reboot_operations.h"

namespace engine {

// What the engine needs from the layers above it; unset hooks do nothing.
struct EngineHooks {
  // Removes pending restart operations that would undo the files the loop
  // wrote (their path_set_key forms).
  void (*clean_pending_operations)(const std::set<std::u16string>& written_paths) = nullptr;
  // The end of the run's prompts, as the wizard shows them: the completion
  // summary page, and the question whether to view a log with failures;
  // each true when the user chose to view the log. Unset: the completion
  // message box and the core library's question box.
  bool (*summary_page)(bool offer_log) = nullptr;
  bool (*ask_show_log)(const std::u16string& text, const std::u16string& caption) = nullptr;
};

struct EngineRun {
  PathRunValues paths;
  InstallLog log;
  RebootRunState reboot;
  FileLoopLists lists;
  EngineHooks hooks;
};

extern EngineRun run;

}  // namespace engine
