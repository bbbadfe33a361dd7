#include "close_rules.h"

namespace setup {

bool close_pattern_matches(std::string_view pattern, std::string_view text) {
  if (!pattern.empty() && pattern.front() == '*') return text.find(pattern.substr(1)) != std::string_view::npos;
  return pattern == text;
}

bool close_rule_matches(const CloseRule& rule, std::string_view class_name, std::string_view title) {
  if (rule.class_pattern.empty() && rule.title_pattern.empty()) return false;
  if (!rule.class_pattern.empty() && !close_pattern_matches(rule.class_pattern, class_name)) return false;
  if (!rule.title_pattern.empty() && !close_pattern_matches(rule.title_pattern, title)) return false;
  return true;
}

CloseDecision decide_close(std::span<const CloseRule> rules, std::uint8_t phase, const WindowFacts& window,
                           bool silent) {
  if (window.own_process) return {};
  for (const CloseRule& rule : rules) {
    if (!(rule.phase_flags & phase) || !close_rule_matches(rule, window.class_name, window.title)) continue;
    // The first matching rule decides, even when it decides to do nothing.
    CloseDecision d;
    d.rule = &rule;
    switch (rule.close_mode) {
      case kCloseModeRequest:
      case kCloseModeQuit:
        d.action = rule.close_mode == kCloseModeRequest ? CloseAction::post_close : CloseAction::post_quit;
        d.restore_first = window.minimised;
        break;
      case kCloseModeAsk:
        d.action = silent ? CloseAction::none : CloseAction::ask;
        break;
      case kCloseModeTerminate:
        d.action = CloseAction::terminate;
        break;
      default:
        break;  // a mode this runtime does not know closes nothing
    }
    return d;
  }
  return {};
}

std::vector<CloseRule> close_rules_for_uninstaller(std::span<const CloseRule> rules) {
  std::vector<CloseRule> kept;
  for (const CloseRule& r : rules)
    if (r.phase_flags & CloseRule::kBeforeUninstallQuestion) kept.push_back(r);
  return kept;
}

}  // namespace setup
