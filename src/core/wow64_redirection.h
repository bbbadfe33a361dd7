#pragma once
// File-system redirection of this 32-bit process on 64-bit Windows: a 64-bit
// product's files belong in the real system folders, so the run switches it
// off for the product's files and back on for whatever loads libraries or
// calls the shell.

namespace kv {

// Holds redirection off from begin() until end() or its destruction. At most
// one is active at a time, on the run's thread.
class Wow64RedirectionOff {
 public:
  Wow64RedirectionOff() = default;
  ~Wow64RedirectionOff() { end(); }
  Wow64RedirectionOff(const Wow64RedirectionOff&) = delete;
  Wow64RedirectionOff& operator=(const Wow64RedirectionOff&) = delete;

  // False when the system refused (the thread's last error says why).
  bool begin();
  void end();
  bool active() const { return active_; }

 private:
  friend class Wow64RedirectionPause;
  void* cookie_ = nullptr;
  bool active_ = false;
};

// Switches redirection back on while it lives, when a Wow64RedirectionOff is
// active; does nothing otherwise.
class Wow64RedirectionPause {
 public:
  Wow64RedirectionPause();
  ~Wow64RedirectionPause();
  Wow64RedirectionPause(const Wow64RedirectionPause&) = delete;
  Wow64RedirectionPause& operator=(const Wow64RedirectionPause&) = delete;

 private:
  Wow64RedirectionOff* paused_ = nullptr;
};

}  // namespace kv
