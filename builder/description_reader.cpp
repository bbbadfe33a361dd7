#include "description_reader.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "utf8_paths.h"

namespace builder {
namespace {

std::string type_name(const toml::node& node) {
  switch (node.type()) {
    case toml::node_type::string:
      return "a text";
    case toml::node_type::integer:
      return "a whole number";
    case toml::node_type::floating_point:
      return "a number";
    case toml::node_type::boolean:
      return "true or false";
    case toml::node_type::date:
      return "a date";
    case toml::node_type::time:
      return "a time";
    case toml::node_type::date_time:
      return "a date and time";
    case toml::node_type::array:
      return "a list";
    case toml::node_type::table:
      return "a table";
    default:
      return "a value";
  }
}

// How the author writes a sub-table: [wizard.styles], [[uninstall.values]],
// or, inside an array's table, "[[files]] shortcut".
std::string child_name(const std::string& parent, std::string_view key, bool array) {
  std::string k(key);
  if (parent.empty()) return array ? "[[" + k + "]]" : "[" + k + "]";
  if (parent.rfind("[[", 0) == 0) return parent + " " + k;
  std::string inner = parent.substr(1, parent.size() - 2);
  return array ? "[[" + inner + "." + k + "]]" : "[" + inner + "." + k + "]";
}

}  // namespace

Description::Description(std::filesystem::path file) : file_(std::move(file)), base_(file_.parent_path()) {}

std::filesystem::path Description::resolve(std::string_view written) const {
  std::string text(written);
#ifndef _WIN32
  std::replace(text.begin(), text.end(), '\\', '/');
#endif
  std::filesystem::path path = path_from_utf8(text);
  return path.is_absolute() ? path : base_ / path;
}

void Description::fail(const toml::source_region& at, std::string_view message) {
  if (failed()) return;
  std::ostringstream out;
  out << path_to_utf8(file_) << ":" << at.begin.line << ":" << at.begin.column << ": " << message;
  error_ = out.str();
}

void Description::warn(const toml::source_region& at, std::string_view message) {
  std::ostringstream out;
  out << path_to_utf8(file_) << ":" << at.begin.line << ":" << at.begin.column << ": " << message;
  warnings_.push_back(out.str());
}

void Description::fail(std::string_view message) {
  if (failed()) return;
  error_ = path_to_utf8(file_) + ": " + std::string(message);
}

std::optional<toml::table> parse_description(Description& description, std::string_view text) {
  toml::parse_result parsed = toml::parse(text, path_to_utf8(description.file()));
  if (!parsed) {
    description.fail(parsed.error().source(), "not valid TOML: " + std::string(parsed.error().description()));
    return std::nullopt;
  }
  return std::move(parsed).table();
}

std::string choice_list(std::initializer_list<Choice> choices) {
  std::string out;
  std::size_t i = 0;
  for (const Choice& c : choices) {
    if (i) out += (i + 1 == choices.size()) ? " or " : ", ";
    out += '"';
    out += c.first;
    out += '"';
    ++i;
  }
  return out;
}

Table::Table(Description& description, const toml::table* table, std::string name)
    : description_(&description), table_(table), name_(std::move(name)) {}

const toml::source_region& Table::source() const {
  static const toml::source_region nowhere{};
  return table_ ? table_->source() : nowhere;
}

bool Table::has(std::string_view key) const { return table_ && table_->contains(key); }

const toml::node* Table::node(std::string_view key) {
  if (!table_) return nullptr;
  known_.emplace(key);
  return table_->get(key);
}

void Table::fail(std::string_view key, std::string_view message) { report(key, message, false); }

void Table::warn(std::string_view key, std::string_view message) { report(key, message, true); }

void Table::report(std::string_view key, std::string_view message, bool warning) {
  const toml::node* at = table_ ? table_->get(key) : nullptr;
  std::string text = name_;
  if (name_.empty())
    text = child_name(name_, key, at && at->is_array_of_tables());
  else if (!key.empty())
    text.append(" ").append(key);
  text.append(": ").append(message);
  const toml::source_region* region = at ? &at->source() : table_ && table_->source().begin ? &table_->source() : nullptr;
  if (warning)
    region ? description_->warn(*region, text) : description_->warn({}, text);
  else if (region)
    description_->fail(*region, text);
  else
    description_->fail(text);
}

void Table::fail_at(const toml::node& at, std::string_view key, std::string_view message) {
  description_->fail(at.source(), name_ + " " + std::string(key) + ": " + std::string(message));
}

std::optional<std::string> Table::text(std::string_view key) {
  const toml::node* n = node(key);
  if (!n) return std::nullopt;
  const auto* s = n->as_string();
  if (!s) {
    fail(key, "expected a text, found " + type_name(*n));
    return std::nullopt;
  }
  if (s->get().find('\0') != std::string::npos) {
    fail(key, "a text cannot hold a zero character");
    return std::nullopt;
  }
  return s->get();
}

std::optional<std::string> Table::required_text(std::string_view key) {
  if (!has(key)) {
    known_.emplace(key);
    fail(key, "missing (a text is required)");
    return std::nullopt;
  }
  return text(key);
}

std::optional<std::int64_t> Table::integer(std::string_view key, std::int64_t min, std::int64_t max) {
  const toml::node* n = node(key);
  if (!n) return std::nullopt;
  const auto* v = n->as_integer();
  if (!v) {
    fail(key, "expected a whole number, found " + type_name(*n));
    return std::nullopt;
  }
  if (v->get() < min || v->get() > max) {
    fail(key, "expected a whole number from " + std::to_string(min) + " to " + std::to_string(max));
    return std::nullopt;
  }
  return v->get();
}

std::optional<double> Table::number(std::string_view key, double min, double max) {
  const toml::node* n = node(key);
  if (!n) return std::nullopt;
  std::optional<double> value;
  if (const auto* f = n->as_floating_point()) value = f->get();
  if (const auto* i = n->as_integer()) value = static_cast<double>(i->get());
  if (!value) {
    fail(key, "expected a number, found " + type_name(*n));
    return std::nullopt;
  }
  if (!std::isfinite(*value) || *value < min || *value > max) {
    std::ostringstream range;
    range << "expected a number from " << min << " to " << max;
    fail(key, range.str());
    return std::nullopt;
  }
  return value;
}

std::optional<bool> Table::flag(std::string_view key) {
  const toml::node* n = node(key);
  if (!n) return std::nullopt;
  const auto* b = n->as_boolean();
  if (!b) {
    fail(key, "expected true or false, found " + type_name(*n));
    return std::nullopt;
  }
  return b->get();
}

std::optional<std::int64_t> Table::choice(std::string_view key, std::initializer_list<Choice> choices,
                                          bool numbers_too) {
  const toml::node* n = node(key);
  if (!n) return std::nullopt;
  if (const auto* s = n->as_string()) {
    for (const Choice& c : choices)
      if (c.first == s->get()) return c.second;
  } else if (const auto* i = n->as_integer(); i && numbers_too) {
    for (const Choice& c : choices)
      if (c.second == i->get()) return c.second;
  }
  fail(key, "expected " + choice_list(choices) + (numbers_too ? " (or its number)" : ""));
  return std::nullopt;
}

std::optional<std::vector<std::int64_t>> Table::choices(std::string_view key, std::initializer_list<Choice> choices) {
  const toml::node* n = node(key);
  if (!n) return std::nullopt;
  const toml::array* list = n->as_array();
  if (!list) {
    fail(key, "expected a list of " + choice_list(choices));
    return std::nullopt;
  }
  std::vector<std::int64_t> out;
  for (const toml::node& item : *list) {
    const auto* s = item.as_string();
    auto found =
        std::find_if(choices.begin(), choices.end(), [&](const Choice& c) { return s && c.first == s->get(); });
    if (found == choices.end()) {
      fail_at(item, key, "expected " + choice_list(choices));
      return std::nullopt;
    }
    out.push_back(found->second);
  }
  return out;
}

std::optional<std::vector<std::string>> Table::texts(std::string_view key) {
  const toml::node* n = node(key);
  if (!n) return std::nullopt;
  const toml::array* list = n->as_array();
  if (!list) {
    fail(key, "expected a list of texts, found " + type_name(*n));
    return std::nullopt;
  }
  std::vector<std::string> out;
  for (const toml::node& item : *list) {
    const auto* s = item.as_string();
    if (!s || s->get().find('\0') != std::string::npos) {
      fail_at(item, key, "expected a text without zero characters");
      return std::nullopt;
    }
    out.push_back(s->get());
  }
  return out;
}

std::optional<std::filesystem::path> Table::file(std::string_view key) {
  std::optional<std::string> written = text(key);
  if (!written) return std::nullopt;
  std::filesystem::path path = description_->resolve(*written);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    fail(key, "no such file: " + path_to_utf8(path));
    return std::nullopt;
  }
  return path;
}

std::vector<std::pair<std::string, const toml::node*>> Table::entries() {
  std::vector<std::pair<std::string, const toml::node*>> out;
  if (!table_) return out;
  for (const auto& [key, value] : *table_) {
    known_.emplace(key.str());
    out.emplace_back(std::string(key.str()), &value);
  }
  return out;
}

Table Table::table(std::string_view key) {
  const toml::node* n = node(key);
  std::string name = child_name(name_, key, false);
  if (n && !n->is_table()) {
    fail(key, "expected a table, found " + type_name(*n));
    return Table(*description_, nullptr, name);
  }
  return Table(*description_, n ? n->as_table() : nullptr, name);
}

std::vector<Table> Table::tables(std::string_view key) {
  std::vector<Table> out;
  const toml::node* n = node(key);
  if (!n) return out;
  const toml::array* list = n->as_array();
  std::string name = child_name(name_, key, true);
  if (!list || !list->is_array_of_tables()) {
    fail(key, "expected tables ([[" + std::string(key) + "]] sections), found " + type_name(*n));
    return out;
  }
  for (const toml::node& item : *list) out.emplace_back(*description_, item.as_table(), name);
  return out;
}

void Table::finish() {
  if (!table_) return;
  for (const auto& [key, value] : *table_) {
    if (known_.count(key.str())) continue;
    std::string text = "unknown key \"" + std::string(key.str()) + "\"" + (name_.empty() ? "" : " in " + name_);
    if (value.is_table() && name_.empty()) text = "unknown section [" + std::string(key.str()) + "]";
    if (value.is_array_of_tables() && name_.empty()) text = "unknown section [[" + std::string(key.str()) + "]]";
    description_->fail(key.source().begin ? key.source() : value.source(), text);
    return;
  }
}

}  // namespace builder
