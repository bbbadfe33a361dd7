// [[shortcuts]], [[registry]], [[associations]], [[firewall]], [[close]],
// [[delete]] and [raw_flags]: the lists of the settings, each checked so that
// the installer never meets an entry it would refuse.
#include <algorithm>
#include <cctype>
#include <cstdio>

#include "csv.h"
#include "kv_core.h"
#include "product_reading.h"
#include "settings_stream.h"

namespace builder {
namespace {

using namespace setup;

constexpr std::size_t kMaxListEntries = 1000;

std::vector<Table> list_tables(Table& root, std::string_view key) {
  std::vector<Table> tables = root.tables(key);
  if (tables.size() > kMaxListEntries)
    root.fail(key, "too many entries: " + std::to_string(tables.size()) + ", at most 1000");
  return tables;
}

bool has_line_break(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

void read_shortcuts(Table& root, Reading& r) {
  for (Table& t : list_tables(root, "shortcuts")) {
    ShortcutEntry s;
    if (auto v = t.required_text("target")) {
      if (v->empty()) t.fail("target", "must not be empty");
      s.target = utf16(*v);
      s.target_has_variables = v->find('%') != std::string::npos;
    }
    if (auto v = t.text("name")) s.link_name = utf16(*v);
    if (auto v = t.text("icon")) s.icon = kv::to_marked(utf16(*v));
    if (auto v = t.text("arguments")) s.arguments = utf16(*v);
    if (auto v = t.text("working_folder")) s.working_folder = kv::to_marked(utf16(*v));
    if (auto v = t.text("folder")) s.other_folder = kv::to_marked(utf16(*v));
    s.on_desktop = t.flag("desktop").value_or(false);
    s.in_start_menu = t.flag("start_menu").value_or(false);
    s.in_startup = t.flag("startup").value_or(false);
    s.keep_at_uninstall = t.flag("keep").value_or(false);
    s.target_has_variables = t.flag("expand_target").value_or(s.target_has_variables);
    s.quiet = t.flag("quiet").value_or(false);
    s.show_mode =
        static_cast<std::uint8_t>(t.choice("show", {{"normal", 0}, {"minimized", 1}, {"maximized", 2}}).value_or(0));
    if (!s.on_desktop && !s.in_start_menu && !s.in_startup && s.other_folder.empty())
      t.fail("", "expected at least one place: desktop, start_menu, startup or folder");
    t.finish();
    r.settings().shortcuts.push_back(std::move(s));
  }
}

// A binary value's data: hexadecimal digits, two per byte, blanks ignored.
bool hexadecimal_bytes(std::string_view text) {
  std::size_t digits = 0;
  for (char c : text) {
    if (c == ' ') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    ++digits;
  }
  return digits % 2 == 0;
}

void read_registry(Table& root, Reading& r) {
  std::u16string& list = r.settings().registry_entries;
  for (Table& t : list_tables(root, "registry")) {
    std::optional<std::string> key = t.required_text("key");
    if (key && (!has_registry_root(*key) || has_line_break(*key)))
      t.fail("key", "expected a key that begins with " + std::string(kRegistryRootsText));
    bool key_only = !t.has("name") && !t.has("type") && !t.has("value") && !t.has("action");
    if (key_only) {
      t.finish();
      if (key) list += kv::csv_record(std::vector<std::u16string>{utf16(*key)});
      continue;
    }
    std::string name = t.text("name").value_or("");
    std::int64_t type =
        t.choice("type", {{"string", 1}, {"expandable", 2}, {"binary", 3}, {"dword", 4}, {"qword", 11}}, true)
            .value_or(1);
    std::int64_t action = t.choice("action",
                                   {{"write", 3},
                                    {"write-and-keep", 1},
                                    {"write-if-missing", 6},
                                    {"delete", 4},
                                    {"delete-also-at-uninstall", 5},
                                    {"delete-at-uninstall", 2}},
                                   true)
                              .value_or(3);
    std::string data;
    const toml::node* value = t.node("value");
    bool writes = action == 1 || action == 3 || action == 6;
    if (!value && writes) t.fail("value", "missing (a value to write)");
    if (value) {
      if (type == 4 || type == 11) {
        const auto* i = value->as_integer();
        std::int64_t min = type == 4 ? INT32_MIN : INT64_MIN, max = type == 4 ? UINT32_MAX : INT64_MAX;
        if (!i || i->get() < min || i->get() > max)
          t.fail("value", type == 4 ? "expected a 32-bit whole number" : "expected a whole number");
        else
          data = std::to_string(i->get());
      } else if (auto text = t.text("value")) {
        data = *text;
        if (type == 3 && !hexadecimal_bytes(data))
          t.fail("value", "expected hexadecimal digits, two per byte (\"01 ff 3a\")");
      }
    }
    if (has_line_break(name) || has_line_break(data)) t.fail("value", "a registry entry cannot hold line breaks");
    t.finish();
    if (key)
      list += kv::csv_record(
          std::vector<std::u16string>{utf16(*key), utf16(name), kv::to_u16(type), utf16(data), kv::to_u16(action)});
  }
}

void read_associations(Table& root, Reading& r) {
  const StringTable& strings = r.settings().strings;
  for (Table& t : list_tables(root, "associations")) {
    Association a;
    if (auto v = t.required_text("extension")) {
      if (v->empty() || *v == ".") t.fail("extension", "must not be empty");
      a.extension = kv::to_marked(utf16(*v));
    }
    bool default_verb = t.flag("default_verb").value_or(false), open_with = t.flag("open_with_only").value_or(false);
    if (default_verb && open_with) t.fail("open_with_only", "cannot be used together with default_verb");
    a.kind = default_verb ? 1 : open_with ? 2 : 0;
    std::string type = t.text("file_type").value_or("");
    if (!type.empty() && type[0] == '!')
      t.fail("file_type", "write use_existing_type = true instead of a leading \"!\"");
    if (t.flag("use_existing_type").value_or(false)) {
      if (type.empty()) t.fail("use_existing_type", "needs a file_type to use when the extension has none");
      type = "!" + type;
    }
    a.file_type = kv::to_marked(utf16(type));
    if (auto v = t.text("description")) a.description = kv::to_marked(utf16(*v));
    a.verb = kv::to_marked(utf16(t.text("verb").value_or("open")));
    if (auto v = t.text("verb_caption")) a.verb_caption = kv::to_marked(utf16(*v));
    if (auto v = t.required_text("command")) a.command = kv::to_marked(utf16(*v));
    if (auto v = t.text("icon")) a.icon = kv::to_marked(utf16(*v));
    if (auto v = t.text("language")) {
      a.language = utf16(*v);
      bool known = false;
      for (int i = 0; i < strings.language_count(); ++i) known = known || strings.language_name(i) == a.language;
      if (!known) t.fail("language", "not one of the product's languages");
    }
    t.finish();
    r.settings().associations.push_back(std::move(a));
  }
}

void read_firewall(Table& root, Reading& r) {
  std::string& list = r.settings().firewall_exceptions;
  for (Table& t : list_tables(root, "firewall")) {
    std::string what;
    if (t.has("port") == t.has("program")) t.fail("", "expected either port or program");
    if (auto v = t.integer("port", 1, 65535)) what = std::to_string(*v);
    if (auto v = t.text("program")) {
      if (v->empty() || std::all_of(v->begin(), v->end(), [](char c) { return c >= '0' && c <= '9'; }))
        t.fail("program", "expected a program path");
      what = *v;
    }
    std::string name = t.text("name").value_or("");
    std::uint32_t protocols = 0;
    if (auto list = t.choices("protocols", {{"tcp", 1}, {"udp", 2}}))
      for (std::int64_t bit : *list) protocols |= static_cast<std::uint32_t>(bit);
    else if (t.has("port") || !t.has("program"))
      protocols = 1;
    if (t.has("port") && protocols == 0) t.fail("protocols", "expected \"tcp\", \"udp\" or both");
    bool keep = t.flag("keep").value_or(false);
    // A line is four fields separated by ";"; the installer refuses others.
    for (auto [key, text] : {std::pair<std::string_view, const std::string*>{"program", &what}, {"name", &name}})
      if (text->find(';') != std::string::npos || has_line_break(*text))
        t.fail(key, "cannot hold \";\" or line breaks");
    t.finish();
    list += what + ";" + name + ";" + std::to_string(protocols) + ";" + (keep ? "1" : "") + "\r\n";
  }
}

void read_close_rules(Table& root, Reading& r) {
  for (Table& t : list_tables(root, "close")) {
    CloseRule rule;
    if (auto v = t.text("class")) rule.class_pattern = windows_1252(t, "class", utf16(*v)).value_or("");
    if (auto v = t.text("title")) rule.title_pattern = windows_1252(t, "title", utf16(*v)).value_or("");
    if (auto v = t.text("name")) rule.display_name = windows_1252(t, "name", utf16(*v)).value_or("");
    if (rule.class_pattern.empty() && rule.title_pattern.empty())
      t.fail("", "expected a window class, a title or both (a rule without either closes nothing)");
    if (rule.class_pattern == kCloseRuleListEnd) t.fail("class", "this class name marks the end of the list");
    rule.close_mode = static_cast<std::uint8_t>(
        t.choice("mode", {{"close", 0}, {"quit", 1}, {"ask", 2}, {"terminate", 3}}).value_or(0));
    rule.phase_flags = CloseRule::kBeforeInstalling | CloseRule::kBeforeUninstallQuestion;
    if (auto list = t.choices("phases", {{"install", CloseRule::kBeforeInstalling},
                                         {"uninstall", CloseRule::kBeforeUninstallQuestion},
                                         {"uninstall-after-question", CloseRule::kAfterUninstallQuestion}})) {
      rule.phase_flags = 0;
      for (std::int64_t bit : *list) rule.phase_flags |= static_cast<std::uint8_t>(bit);
      if (rule.phase_flags == 0) t.fail("phases", "expected at least one phase");
      // The uninstaller is given only the rules for "uninstall" and times
      // each by its mode: alone, this phase would never act.
      if ((rule.phase_flags & CloseRule::kAfterUninstallQuestion) &&
          !(rule.phase_flags & CloseRule::kBeforeUninstallQuestion))
        t.fail("phases", "\"uninstall-after-question\" needs \"uninstall\" too (the uninstaller closes \"ask\" "
                         "rules after its question, the others before it)");
    }
    t.finish();
    r.settings().close_rules.push_back(std::move(rule));
  }
}

// A date (and time) as the installer compares it: "2024-05-01" or
// "2024-05-01 12:30:00".
std::optional<std::string> operand_date(Table& t) {
  std::optional<DateTimeRecord> when = date_time_record(t, "date");
  if (!when) return std::nullopt;
  char text[32];
  bool with_time = t.node("date")->is_date_time();
  if (with_time)
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", when->year, when->month, when->day, when->hour,
                  when->minute, when->second);
  else
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", when->year, when->month, when->day);
  return std::string(text);
}

void read_deletions(Table& root, Reading& r) {
  for (Table& t : list_tables(root, "delete")) {
    ConditionalDeletion d;
    if (auto v = t.required_text("pattern")) {
      if (v->empty()) t.fail("pattern", "must not be empty");
      if (*v == kConditionalDeletionListEnd) t.fail("pattern", "this text marks the end of the list");
      d.pattern = kv::to_marked(utf16(*v));
    }
    if (t.has("date") && t.has("size")) t.fail("size", "cannot be used together with date");
    std::int64_t compare = t.choice("compare", {{"equal", 0}, {"at-least", 1}, {"at-most", 2}}).value_or(0);
    if (t.has("compare") && !t.has("date") && !t.has("size")) t.fail("compare", "needs a date or a size");
    if (t.has("date")) {
      d.comparison = static_cast<std::uint8_t>(1 + compare);
      d.operand = operand_date(t).value_or("");
    } else if (auto size = t.integer("size", 0, INT32_MAX)) {
      d.comparison = static_cast<std::uint8_t>(4 + compare);
      d.operand = std::to_string(*size);
    }
    d.flags = ConditionalDeletion::kDuringInstallation;
    if (auto list = t.choices("phases", {{"install", ConditionalDeletion::kDuringInstallation},
                                         {"uninstall", ConditionalDeletion::kDuringUninstallation}})) {
      d.flags = 0;
      for (std::int64_t bit : *list) d.flags |= static_cast<std::uint8_t>(bit);
      if (d.flags == 0) t.fail("phases", "expected at least one phase");
    }
    d.flags |=
        static_cast<std::uint8_t>(t.choice("at_restart", {{"never", 0},
                                                          {"only", ConditionalDeletion::kOnlyAtRestart},
                                                          {"when-locked", ConditionalDeletion::kRestartWhenLocked}})
                                      .value_or(0));
    t.finish();
    r.settings().conditional_deletions.push_back(std::move(d));
  }
}

}  // namespace

void read_lists(Table& root, Reading& r) {
  read_shortcuts(root, r);
  read_registry(root, r);
  read_associations(root, r);
  read_firewall(root, r);
  read_close_rules(root, r);
  read_deletions(root, r);
}

void read_raw_flags(Table& root, Reading& r) {
  Table t = root.table("raw_flags");
  struct Raw {
    std::string_view key;
    FlagWord word;
    bool on;
  };
  for (const Raw& raw : {Raw{"set_low", FlagWord::low, true}, Raw{"set_high", FlagWord::high, true},
                         Raw{"set_flags2", FlagWord::flags2, true}, Raw{"clear_low", FlagWord::low, false},
                         Raw{"clear_high", FlagWord::high, false}, Raw{"clear_flags2", FlagWord::flags2, false}})
    if (auto v = t.integer(raw.key, 0, UINT32_MAX)) r.flags.set(raw.word, static_cast<std::uint32_t>(*v), raw.on);
  t.finish();
}

}  // namespace builder
