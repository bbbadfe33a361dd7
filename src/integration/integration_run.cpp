#include "integration_run.h"

namespace integration {

IntegrationRun run;

}  // namespace integration
