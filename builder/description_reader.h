#pragma once
// Reading the tables of a product description (TOML) with errors an author
// can act on: each names the description, the line and column, the key and
// what was expected. The first problem wins; reading goes on afterwards but
// its results are dropped. A table also reports the keys it does not know,
// so that a misspelt key never goes unnoticed.
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "toml_include.h"

namespace builder {

// The description being read: its file, the folder its paths are relative
// to, and the first problem found.
class Description {
 public:
  explicit Description(std::filesystem::path file);

  const std::filesystem::path& file() const { return file_; }
  const std::filesystem::path& base() const { return base_; }
  // A path written in the description (forward slashes or backslashes),
  // relative to the description's folder unless absolute.
  std::filesystem::path resolve(std::string_view written) const;

  void fail(const toml::source_region& at, std::string_view message);
  void fail(std::string_view message);  // a problem with no place in the text
  bool failed() const { return !error_.empty(); }
  const std::string& error() const { return error_; }
  // Something the build goes on with, told to the author.
  void warn(const toml::source_region& at, std::string_view message);
  const std::vector<std::string>& warnings() const { return warnings_; }

 private:
  std::filesystem::path file_;
  std::filesystem::path base_;
  std::string error_;
  std::vector<std::string> warnings_;
};

// A name and the number it stands for, for keys that take one of a few words.
using Choice = std::pair<std::string_view, std::int64_t>;

// One TOML table of the description. Getters return nothing for an absent
// key; a value of the wrong type or out of range is a problem (and returns
// nothing too).
class Table {
 public:
  Table(Description& description, const toml::table* table, std::string name);

  bool present() const { return table_ != nullptr; }
  const std::string& name() const { return name_; }
  Description& description() const { return *description_; }
  const toml::source_region& source() const;

  bool has(std::string_view key) const;
  // The value of any type; marks the key as known.
  const toml::node* node(std::string_view key);

  // UTF-8 text without zero characters.
  std::optional<std::string> text(std::string_view key);
  // As text(), but a missing key is a problem.
  std::optional<std::string> required_text(std::string_view key);
  std::optional<std::int64_t> integer(std::string_view key, std::int64_t min, std::int64_t max);
  std::optional<double> number(std::string_view key, double min, double max);
  std::optional<bool> flag(std::string_view key);
  // One of the words (or, when numbers_too, one of their numbers).
  std::optional<std::int64_t> choice(std::string_view key, std::initializer_list<Choice> choices,
                                     bool numbers_too = false);
  // A file that must exist, relative to the description.
  std::optional<std::filesystem::path> file(std::string_view key);
  // A list of words, each one of the choices; the result is their numbers.
  std::optional<std::vector<std::int64_t>> choices(std::string_view key, std::initializer_list<Choice> choices);
  // A list of texts.
  std::optional<std::vector<std::string>> texts(std::string_view key);

  // Every key and value, in key order; all count as known.
  std::vector<std::pair<std::string, const toml::node*>> entries();

  // A sub-table (not present when the key is absent).
  Table table(std::string_view key);
  // An array of tables ([[key]] sections).
  std::vector<Table> tables(std::string_view key);

  // A problem at the key's value, or at the table when the key is absent.
  void fail(std::string_view key, std::string_view message);
  // A warning at the key's value.
  void warn(std::string_view key, std::string_view message);
  void fail_at(const toml::node& at, std::string_view key, std::string_view message);
  // Reports the first key that no getter asked for.
  void finish();

 private:
  void report(std::string_view key, std::string_view message, bool warning);

  Description* description_;
  const toml::table* table_;
  std::string name_;
  std::set<std::string, std::less<>> known_;
};

// Choices as a readable list for messages: "plain", "header" or "panel".
std::string choice_list(std::initializer_list<Choice> choices);

// Parses the description's text; a syntax error becomes the description's
// problem.
std::optional<toml::table> parse_description(Description& description, std::string_view text);

}  // namespace builder
