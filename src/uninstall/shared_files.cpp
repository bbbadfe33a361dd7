#include "shared_files.h"

#include "text.h"

namespace uninstall {
namespace {

constexpr char kTypeLibraryMarker = '\xA9';

// Whether bytes form complete UTF-8 sequences.
bool valid_utf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    auto c = static_cast<unsigned char>(text[i]);
    std::size_t length = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

// A marked UTF-8 path may itself end in the byte 0xA9 ("©" is C2 A9): the
// byte is a marker only when the path is not complete UTF-8 with it.
bool ends_in_type_library_marker(std::string_view entry) {
  if (entry.empty() || entry.back() != kTypeLibraryMarker) return false;
  if (!entry.starts_with('|')) return true;
  return !valid_utf8(entry.substr(1));
}

void add_entry(std::vector<SharedFile>& files, std::string_view entry) {
  SharedFileKind kind = SharedFileKind::plain;
  if (!entry.empty() && entry.back() == '^') {
    kind = SharedFileKind::com_server;
  } else if (ends_in_type_library_marker(entry)) {
    kind = SharedFileKind::type_library;
  } else if (!entry.empty() && entry.back() == ' ') {
    kind = SharedFileKind::kept;
  }
  if (kind != SharedFileKind::plain) entry.remove_suffix(1);
  std::u16string path = kv::from_marked(entry);
  if (path.empty()) return;  // "" or a bare "|"
  files.push_back({std::move(path), kind});
}

}  // namespace

std::vector<SharedFile> parse_shared_files(std::string_view value) {
  std::vector<SharedFile> files;
  std::size_t pos = 0;
  while (pos < value.size()) {
    char c = value[pos];
    if (c == ';' || c == '\t' || c == '\r' || c == '\n' || c == ' ') {
      ++pos;
    } else if (c == '"') {
      std::size_t close = value.find('"', pos + 1);
      if (close == std::string_view::npos) close = value.size();
      add_entry(files, value.substr(pos + 1, close - pos - 1));
      pos = close + 1;
    } else {
      // Without quotes a trailing blank is no marker.
      std::size_t end = value.find(';', pos);
      if (end == std::string_view::npos) end = value.size();
      std::string_view entry = value.substr(pos, end - pos);
      while (!entry.empty() && (entry.back() == ' ' || entry.back() == '\t')) entry.remove_suffix(1);
      add_entry(files, entry);
      pos = end;
    }
  }
  return files;
}

SharedCountChange lower_shared_count(std::uint32_t stored) {
  auto count = static_cast<std::int32_t>(stored);
  if (count < 1) return {false, stored, true};
  std::int32_t lowered = count - 1;
  return {true, static_cast<std::uint32_t>(lowered), lowered < 1};
}

bool shared_file_removable(SharedFileKind kind, bool reached_zero) {
  return reached_zero && kind != SharedFileKind::kept;
}

}  // namespace uninstall
