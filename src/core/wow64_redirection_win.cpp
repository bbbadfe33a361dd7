#include "wow64_redirection.h"

#include <windows.h>

namespace kv {
namespace {
Wow64RedirectionOff* g_active = nullptr;
}  // namespace

bool Wow64RedirectionOff::begin() {
  if (active_) return true;
  if (!Wow64DisableWow64FsRedirection(&cookie_)) return false;
  active_ = true;
  g_active = this;
  return true;
}

void Wow64RedirectionOff::end() {
  if (!active_) return;
  Wow64RevertWow64FsRedirection(cookie_);
  active_ = false;
  if (g_active == this) g_active = nullptr;
}

Wow64RedirectionPause::Wow64RedirectionPause() {
  if (!g_active || !g_active->active_) return;
  paused_ = g_active;
  Wow64RevertWow64FsRedirection(paused_->cookie_);
}

Wow64RedirectionPause::~Wow64RedirectionPause() {
  if (paused_) Wow64DisableWow64FsRedirection(&paused_->cookie_);
}

}  // namespace kv
