#include "restore_point.h"

#include <windows.h>
#include <srrestoreptapi.h>

#include <algorithm>

#include "crash_guard.h"
#include "system_library.h"
#include "win_handles.h"

namespace kv {
namespace {

// One call of the system's restore-point entry, guarded: it runs the
// system's restore service code.
bool set_restore_point(RESTOREPOINTINFOW& info, STATEMGRSTATUS& status) {
  using SetRestorePoint = BOOL(WINAPI*)(PRESTOREPOINTINFOW, PSTATEMGRSTATUS);
  // Kept loaded for the run: the point begun must be ended by the same library.
  static HMODULE library = load_system_library(L"srclient.dll").release();
  auto set = library ? reinterpret_cast<SetRestorePoint>(
                           reinterpret_cast<void*>(GetProcAddress(library, "SRSetRestorePointW")))
                     : nullptr;
  bool ok = false;
  crash_guard([&] { ok = set && set(&info, &status); });
  return ok;
}

}  // namespace

std::optional<std::int64_t> begin_restore_point(const std::u16string& description) {
  RESTOREPOINTINFOW info{};
  info.dwEventType = BEGIN_SYSTEM_CHANGE;
  info.dwRestorePtType = APPLICATION_INSTALL;
  std::u16string text = description.substr(0, MAX_DESC_W - 1);
  std::copy(text.begin(), text.end(), info.szDescription);
  STATEMGRSTATUS status{};
  if (!set_restore_point(info, status)) return std::nullopt;
  return status.llSequenceNumber;
}

bool commit_restore_point(std::int64_t sequence) {
  RESTOREPOINTINFOW info{};
  info.dwEventType = END_SYSTEM_CHANGE;
  info.dwRestorePtType = APPLICATION_INSTALL;
  info.llSequenceNumber = sequence;
  STATEMGRSTATUS status{};
  return set_restore_point(info, status);
}

}  // namespace kv
