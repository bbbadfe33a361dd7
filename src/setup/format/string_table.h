#pragma once
// The installation's texts: every message, caption and step text, by number,
// in each of the installation's languages.
#include <string>
#include <vector>

namespace setup {

class StringTable {
 public:
  // `texts` holds language 0's strings first, then language 1's, and so on;
  // their line breaks are already normalised.
  void assign(std::vector<std::u16string> languages, int string_count, std::vector<std::u16string> texts);

  int language_count() const { return static_cast<int>(languages_.size()); }
  int string_count() const { return string_count_; }
  const std::u16string& language_name(int language) const;
  // The language named "English", else the first.
  int default_language() const;

  int current_language() const { return current_; }
  void set_current_language(int language);

  // Raw text n of the current (or a given) language; empty outside the table.
  const std::u16string& raw(int number) const { return raw(current_, number); }
  const std::u16string& raw(int language, int number) const;

  bool operator==(const StringTable&) const = default;

 private:
  std::vector<std::u16string> languages_;
  int string_count_ = 0;
  std::vector<std::u16string> texts_;
  int current_ = 0;
};

// Every line break form (LF, CR, LF CR) becomes CR LF.
std::u16string normalise_line_breaks(std::u16string_view text);

// What "<product>", "<description>" and "<os>" stand for.
struct Placeholders {
  std::u16string product;
  std::u16string description;
  std::u16string os;
};
// Replaces the three placeholders, ignoring case.
std::u16string expand_placeholders(std::u16string_view text, const Placeholders& values);

}  // namespace setup
