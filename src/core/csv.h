#pragma once
// Comma-separated records as the core library writes and reads them.
//
// A field is quoted when it holds a comma, a double quote, a tab, a line
// break, a semicolon or a vertical bar, begins with a blank, an apostrophe or
// a number sign, or ends with a blank; inside the quotes a double quote is
// doubled. A record whose only field is empty is written as "". Records end
// with CR LF.
//
// Reading is line by line: unquoted fields lose their surrounding blanks and
// tabs (the writer quotes every field whose blanks matter), a quoted field
// runs to its closing quote, and an unterminated quote runs to the end of
// the line.
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

std::string csv_field(std::string_view field);
std::u16string csv_field(std::u16string_view field);

// The fields joined by commas, followed by CR LF.
std::string csv_record(std::initializer_list<std::string_view> fields);
std::string csv_record(const std::vector<std::string>& fields);
std::u16string csv_record(const std::vector<std::u16string>& fields);

// The fields of one line (without its line end); an empty line is one empty
// field.
std::vector<std::string> csv_split(std::string_view line);
std::vector<std::u16string> csv_split(std::u16string_view line);

}  // namespace kv
