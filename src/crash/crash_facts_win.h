#pragma once
// Gathering a crash's facts on the machine (Windows only).
#include <windows.h>

#include <string>

#include "crash_facts.h"

namespace crash {

// The exception, the context and the process and system facts; the module
// list from the tool-help snapshot (psapi as the fallback) and the call
// stack through the debug-help library, each left out when unavailable.
CrashFacts gather_crash_facts(const EXCEPTION_RECORD& record, const CONTEXT& context, DWORD thread_id,
                              DWORD main_thread_id, const std::string& product);

}  // namespace crash
