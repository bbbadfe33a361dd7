#include "wininit_ini.h"

#include "kv_core.h"

namespace engine {
namespace {

// End of the "[rename]" line's text (before its line end), or npos.
std::size_t rename_line_end(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    std::size_t first = line.find_first_not_of(" \t");
    std::size_t last = line.find_last_not_of(" \t");
    if (first != std::string_view::npos && kv::iequals(line.substr(first, last - first + 1), "[rename]"))
      return pos + last + 1;
    pos = end + 1;
  }
  return std::string_view::npos;
}

}  // namespace

std::string add_wininit_rename(std::string_view ini_text, std::string_view target, std::string_view source) {
  std::string entry;
  entry.append(target).append("=").append(source);
  std::string out(ini_text);
  std::size_t insert_at = rename_line_end(ini_text);
  if (insert_at != std::string_view::npos) {
    out.insert(insert_at, "\r\n" + entry);
    return out;
  }
  if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += "\r\n";
  out += "[rename]\r\n" + entry;
  return out;
}

}  // namespace engine
