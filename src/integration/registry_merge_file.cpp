#include "registry_merge_file.h"

#include "text.h"

namespace integration {

std::string merge_file_bytes(std::u16string_view text) {
  if (text.starts_with(u'\xFEFF')) text.remove_prefix(1);
  if (text.starts_with(u"REGEDIT4")) return kv::utf16_to_ansi(text);
  std::string bytes = "\xFF\xFE";
  bytes.reserve(2 + text.size() * 2);
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

std::u16string merge_command_line(std::u16string_view editor, std::u16string_view file) {
  return u"\"" + std::u16string(editor) + u"\" /s \"" + std::u16string(file) + u"\"";
}

}  // namespace integration
