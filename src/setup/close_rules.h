#pragma once
// Which of the author's close rules acts on a running program's top-level
// window, and how. Pure decisions: the window layer (close_applications)
// gathers each window's facts and carries out what is decided here.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings.h"

namespace setup {

// The close modes of a rule.
inline constexpr std::uint8_t kCloseModeRequest = 0;    // post a close request
inline constexpr std::uint8_t kCloseModeQuit = 1;       // post a quit request
inline constexpr std::uint8_t kCloseModeAsk = 2;        // ask the user to close it, and wait
inline constexpr std::uint8_t kCloseModeTerminate = 3;  // end the owning process

// A pattern matches when it equals the text, or, beginning with "*", when
// the rest occurs anywhere in it. Byte-wise and case-sensitive.
bool close_pattern_matches(std::string_view pattern, std::string_view text);
// Every non-empty pattern matches, and at least one is not empty.
bool close_rule_matches(const CloseRule& rule, std::string_view class_name, std::string_view title);

// What the window layer knows of one top-level window.
struct WindowFacts {
  std::string class_name;  // the 8-bit (ANSI) forms
  std::string title;
  bool own_process = false;  // a window of the installer itself
  bool minimised = false;
};

enum class CloseAction { none, post_close, post_quit, ask, terminate };

struct CloseDecision {
  CloseAction action = CloseAction::none;
  bool restore_first = false;         // a minimised window is restored before the post
  const CloseRule* rule = nullptr;    // the rule that acts
};

// The first rule of the phase that matches acts; the installer's own windows
// and, in a silent run, rules that would ask are left alone.
CloseDecision decide_close(std::span<const CloseRule> rules, std::uint8_t phase, const WindowFacts& window,
                           bool silent);

// The rules the uninstaller gets: those that carry its phase before the
// confirmation (its own read-back decides when each acts).
std::vector<CloseRule> close_rules_for_uninstaller(std::span<const CloseRule> rules);

}  // namespace setup
