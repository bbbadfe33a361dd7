#pragma once
// The system integration's process-wide state: where the uninstaller goes,
// and the options ticked on the wizard's final page.
#include "completion.h"
#include "uninstaller_placement.h"

namespace integration {

struct IntegrationRun {
  UninstallerPlacement uninstaller;  // prepared before the shortcuts that point at it
  SummaryChoices summary;            // all off until the final page sets them
};

extern IntegrationRun run;

}  // namespace integration
