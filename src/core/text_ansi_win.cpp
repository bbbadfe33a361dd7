#include <windows.h>

#include "text.h"

namespace kv {

std::u16string ansi_to_utf16(std::string_view text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
  std::u16string out(n, u'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()),
                      reinterpret_cast<wchar_t*>(out.data()), n);
  return out;
}

std::string utf16_to_ansi(std::u16string_view text) {
  if (text.empty()) return {};
  auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  int n = WideCharToMultiByte(CP_ACP, 0, wide, int(text.size()), nullptr, 0, "?", nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, int(text.size()), out.data(), n, "?", nullptr);
  return out;
}

}  // namespace kv
