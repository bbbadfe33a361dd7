// Which close rule acts on a running program's window, and how.
#include <gtest/gtest.h>

#include <vector>

#include "close_rules.h"

namespace {

using setup::CloseAction;
using setup::CloseRule;
using setup::WindowFacts;

constexpr std::uint8_t kInstall = CloseRule::kBeforeInstalling;
constexpr std::uint8_t kBefore = CloseRule::kBeforeUninstallQuestion;
constexpr std::uint8_t kAfter = CloseRule::kAfterUninstallQuestion;

TEST(ClosePattern, ExactOrContainedByteWiseAndCaseSensitive) {
  struct Case {
    const char* pattern;
    const char* text;
    bool matches;
  };
  const Case cases[] = {
      {"*Editor", "My Editor 2", true},
      {"*Editor", "Editor", true},
      {"*Editor", "editor", false},  // letter case counts
      {"*Editor", "My Edit", false},
      {"Editor", "My Editor 2", false},  // without the star: the whole text
      {"Editor", "Editor", true},
      {"Editor", "Editor ", false},
      {"*", "anything", true},  // a star alone: contains nothing, so matches all
      {"*", "", true},
      {"E*", "E*", true},  // a star elsewhere is an ordinary byte
      {"E*", "Ex", false},
      {"*\xE9t\xE9", "R\xE9sum\xE9 \xE9t\xE9", true},  // 8-bit bytes as they stand
      {"*\xC9T\xC9", "\xE9t\xE9", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(setup::close_pattern_matches(c.pattern, c.text), c.matches) << c.pattern << " / " << c.text;
}

TEST(CloseRuleMatch, EveryPatternGivenMustMatchAndOneMustBeGiven) {
  struct Case {
    CloseRule rule;
    bool matches;
  };
  const Case cases[] = {
      {{"EditorClass", "", "", 0, kInstall}, true},
      {{"", "*Editor", "", 0, kInstall}, true},
      {{"EditorClass", "*Editor", "", 0, kInstall}, true},
      {{"EditorClass", "Other", "", 0, kInstall}, false},  // the title fails
      {{"Other", "*Editor", "", 0, kInstall}, false},      // the class fails
      {{"*Class", "*Edit", "", 0, kInstall}, true},
      {{"", "", "Everything", 0, kInstall}, false},  // both empty match nothing
  };
  for (const Case& c : cases)
    EXPECT_EQ(setup::close_rule_matches(c.rule, "EditorClass", "My Editor 2"), c.matches)
        << c.rule.class_pattern << " / " << c.rule.title_pattern;
  // An empty-titled window is matched by its class alone, never by "*x".
  EXPECT_TRUE(setup::close_rule_matches({"EditorClass", "", "", 0, kInstall}, "EditorClass", ""));
  EXPECT_FALSE(setup::close_rule_matches({"EditorClass", "*x", "", 0, kInstall}, "EditorClass", ""));
}

WindowFacts editor_window(bool minimised = false) { return {"EditorClass", "My Editor 2", false, minimised}; }

TEST(CloseDecision, EachModeItsAction) {
  struct Case {
    std::uint8_t mode;
    bool minimised;
    bool silent;
    CloseAction action;
    bool restore_first;
  };
  const Case cases[] = {
      {0, false, false, CloseAction::post_close, false},
      {0, true, false, CloseAction::post_close, true},  // restored before the request
      {1, false, false, CloseAction::post_quit, false},
      {1, true, true, CloseAction::post_quit, true},     // silent runs close too
      {2, true, false, CloseAction::ask, false},
      {2, false, true, CloseAction::none, false},        // silent: neither asks nor waits
      {3, true, false, CloseAction::terminate, false},
      {3, false, true, CloseAction::terminate, false},
      {7, false, false, CloseAction::none, false},       // a mode we do not know
  };
  for (const Case& c : cases) {
    const std::vector<CloseRule> rules = {{"", "*Editor", "Editor", c.mode, kInstall}};
    auto d = setup::decide_close(rules, kInstall, editor_window(c.minimised), c.silent);
    EXPECT_EQ(d.action, c.action) << int(c.mode);
    EXPECT_EQ(d.restore_first, c.restore_first) << int(c.mode);
  }
}

TEST(CloseDecision, FirstMatchingRuleOfThePhaseActsAlone) {
  const std::vector<CloseRule> rules = {
      {"EditorClass", "", "Not now", 3, kBefore},      // another phase: skipped
      {"", "*Viewer", "Viewer", 3, kInstall},          // does not match: skipped
      {"", "*Editor", "Editor", 2, kInstall | kAfter},  // the first that matches
      {"EditorClass", "", "Later", 3, kInstall},       // also matches, never acts
  };
  auto d = setup::decide_close(rules, kInstall, editor_window(), false);
  EXPECT_EQ(d.action, CloseAction::ask);
  ASSERT_NE(d.rule, nullptr);
  EXPECT_EQ(d.rule->display_name, "Editor");

  // Silent, the asking rule still decides: nothing, and the later rule does not terminate.
  d = setup::decide_close(rules, kInstall, editor_window(), true);
  EXPECT_EQ(d.action, CloseAction::none);
  EXPECT_EQ(d.rule, &rules[2]);

  d = setup::decide_close(rules, kBefore, editor_window(), false);
  EXPECT_EQ(d.action, CloseAction::terminate);
  EXPECT_EQ(d.rule, &rules[0]);
  EXPECT_EQ(setup::decide_close(rules, kAfter, editor_window(), false).rule, &rules[2]);
}

TEST(CloseDecision, NothingActsOnOwnWindowsOrUnmatchedOnes) {
  const std::vector<CloseRule> rules = {{"", "*Editor", "Editor", 3, kInstall}, {"", "", "All", 3, kInstall}};
  WindowFacts own = editor_window();
  own.own_process = true;
  auto d = setup::decide_close(rules, kInstall, own, false);
  EXPECT_EQ(d.action, CloseAction::none);
  EXPECT_EQ(d.rule, nullptr);
  d = setup::decide_close(rules, kInstall, {"Shell_TrayWnd", "", false, false}, false);
  EXPECT_EQ(d.action, CloseAction::none);
  EXPECT_EQ(d.rule, nullptr);
  EXPECT_EQ(setup::decide_close({}, kInstall, editor_window(), false).rule, nullptr);
}

TEST(CloseRulesForUninstaller, OnlyRulesWithTheUninstallPhaseInTheirOrder) {
  const std::vector<CloseRule> rules = {
      {"A", "", "", 0, kInstall},
      {"B", "", "", 2, kInstall | kBefore},
      {"C", "", "", 3, kAfter},  // the uninstaller decides the moment itself
      {"D", "", "", 1, kBefore | kAfter},
  };
  auto kept = setup::close_rules_for_uninstaller(rules);
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(kept[0], rules[1]);
  EXPECT_EQ(kept[1], rules[3]);
}

}  // namespace
