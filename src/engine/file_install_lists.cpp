#include "file_install_lists.h"

#include "text.h"

namespace engine {


std::u16string path_set_key(std::u16string_view path) {
  std::u16string key(path);
  for (char16_t& c : key) c = kv::ascii_lower(c);
  return key;
}

std::string shared_files_value(const std::vector<SharedFileReference>& references) {
  std::set<std::u16string> seen;
  std::string value;
  for (const SharedFileReference& reference : references) {
    if (!seen.insert(path_set_key(kv::from_marked(reference.path))).second) continue;
    if (!value.empty()) value += ';';
    value += '"';
    value += reference.path;
    if (reference.marker) value += reference.marker;
    value += '"';
  }
  return value;
}

namespace {
void append_quoted(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}
}  // namespace

std::string product_fonts_value(const std::vector<InstalledFont>& fonts) {
  std::string value;
  for (const InstalledFont& font : fonts) {
    if (!value.empty()) value += ';';
    append_quoted(value, kv::utf16_to_utf8(font.title));
    value += ',';
    append_quoted(value, kv::to_marked(font.file_name));
  }
  return value;
}

}  // namespace engine
