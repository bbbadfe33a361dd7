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
