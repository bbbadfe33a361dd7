#include "string_table.h"

#include "kv_core.h"

namespace setup {
namespace {
const std::u16string kEmpty;
}

void StringTable::assign(std::vector<std::u16string> languages, int string_count,
                         std::vector<std::u16string> texts) {
  languages_ = std::move(languages);
  string_count_ = string_count;
  texts_ = std::move(texts);
  current_ = default_language();
}

const std::u16string& StringTable::language_name(int language) const {
  if (language < 0 || language >= language_count()) return kEmpty;
  return languages_[language];
}

int StringTable::default_language() const {
  for (int i = 0; i < language_count(); ++i)
    if (languages_[i] == u"English") return i;
  return 0;
}

void StringTable::set_current_language(int language) {
  if (language >= 0 && language < language_count()) current_ = language;
}

const std::u16string& StringTable::raw(int language, int number) const {
  if (number < 0 || number >= string_count_ || language < 0 || language >= language_count()) return kEmpty;
  std::size_t index = std::size_t(language) * std::size_t(string_count_) + std::size_t(number);
  return index < texts_.size() ? texts_[index] : kEmpty;
}

std::u16string normalise_line_breaks(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'\r') {
      out += u"\r\n";
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else if (c == u'\n') {
      out += u"\r\n";
      if (i + 1 < text.size() && text[i + 1] == u'\r') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

std::u16string expand_placeholders(std::u16string_view text, const Placeholders& values) {
  std::u16string out = kv::replace_all(text, u"<product>", values.product, true);
  out = kv::replace_all(out, u"<description>", values.description, true);
  return kv::replace_all(out, u"<os>", values.os, true);
}

}  // namespace setup
