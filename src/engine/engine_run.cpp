#include "engine_run.h"

namespace engine {

EngineRun run;

}  // namespace engine
