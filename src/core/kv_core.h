#pragma once
// The core library: text, containers, the fatal path, crash guards and the
// silent switch. Windows-only parts (dialogs, RAII handles) have their own
// headers, dialogs.h and win_handles.h.
#include "crash_guard.h"
#include "fatal.h"
#include "file_errors.h"
#include "memory.h"
#include "program.h"
#include "silent.h"
#include "text.h"
#include "vector.h"
#include "author_format.h"
