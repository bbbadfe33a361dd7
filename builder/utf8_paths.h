#pragma once
// Paths from and to UTF-8 text, the same way on Linux and Windows (where a
// narrow std::string would otherwise mean the ANSI code page).
#include <filesystem>
#include <string>
#include <string_view>

namespace builder {

inline std::filesystem::path path_from_utf8(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string path_to_utf8(const std::filesystem::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace builder
