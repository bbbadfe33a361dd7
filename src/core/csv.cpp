#include "csv.h"

namespace kv {
namespace {

template <class Char>
bool needs_quotes(std::basic_string_view<Char> field) {
  if (field.empty()) return false;
  for (Char c : field)
    if (c == ',' || c == '"' || c == '\t' || c == '\r' || c == '\n' || c == ';' || c == '|') return true;
  Char first = field.front();
  return first == ' ' || first == '\'' || first == '#' || field.back() == ' ';
}

template <class Char>
std::basic_string<Char> quote_field(std::basic_string_view<Char> field) {
  if (!needs_quotes(field)) return std::basic_string<Char>(field);
  std::basic_string<Char> out;
  out.reserve(field.size() + 2);
  out += Char('"');
  for (Char c : field) {
    if (c == '"') out += Char('"');
    out += c;
  }
  out += Char('"');
  return out;
}

template <class Char, class Range>
std::basic_string<Char> join_record(const Range& fields) {
  std::basic_string<Char> out;
  bool first = true;
  std::size_t count = 0;
  for (const auto& field : fields) {
    if (!first) out += Char(',');
    first = false;
    out += quote_field<Char>(field);
    ++count;
  }
  // A lone empty field would otherwise be an empty line.
  if (count == 1 && out.empty()) out.append(2, Char('"'));
  out += Char('\r');
  out += Char('\n');
  return out;
}

template <class Char>
bool is_blank(Char c) {
  return c == ' ' || c == '\t';
}

template <class Char>
std::vector<std::basic_string<Char>> split_line(std::basic_string_view<Char> line) {
  std::vector<std::basic_string<Char>> fields;
  std::size_t i = 0;
  for (;;) {
    while (i < line.size() && is_blank(line[i])) ++i;
    std::basic_string<Char> field;
    if (i < line.size() && line[i] == '"') {
      ++i;
      while (i < line.size()) {
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            field += Char('"');
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field += line[i++];
      }
      // Text between the closing quote and the next comma is kept, minus
      // surrounding blanks.
      std::size_t comma = line.find(Char(','), i);
      std::size_t end = comma == line.npos ? line.size() : comma;
      std::size_t last = end;
      while (last > i && is_blank(line[last - 1])) --last;
      std::size_t start = i;
      while (start < last && is_blank(line[start])) ++start;
      field.append(line.substr(start, last - start));
      i = end;
    } else {
      std::size_t comma = line.find(Char(','), i);
      std::size_t end = comma == line.npos ? line.size() : comma;
      std::size_t last = end;
      while (last > i && is_blank(line[last - 1])) --last;
      field.assign(line.substr(i, last - i));
      i = end;
    }
    fields.push_back(std::move(field));
    if (i >= line.size()) break;
    ++i;  // the comma
  }
  return fields;
}

}  // namespace

std::string csv_field(std::string_view field) { return quote_field<char>(field); }
std::u16string csv_field(std::u16string_view field) { return quote_field<char16_t>(field); }

std::string csv_record(std::initializer_list<std::string_view> fields) { return join_record<char>(fields); }

std::string csv_record(const std::vector<std::string>& fields) {
  std::vector<std::string_view> views(fields.begin(), fields.end());
  return join_record<char>(views);
}

std::u16string csv_record(const std::vector<std::u16string>& fields) {
  std::vector<std::u16string_view> views(fields.begin(), fields.end());
  return join_record<char16_t>(views);
}

std::vector<std::string> csv_split(std::string_view line) { return split_line<char>(line); }
std::vector<std::u16string> csv_split(std::u16string_view line) { return split_line<char16_t>(line); }

}  // namespace kv
