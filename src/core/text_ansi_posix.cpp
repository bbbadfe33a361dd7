// Off Windows the "system code page" is Windows-1252, which is what the
// native tests and the builder assume for 8-bit texts.
#include "text.h"

namespace kv {
std::u16string ansi_to_utf16(std::string_view text) { return cp1252_to_utf16(text); }
std::string utf16_to_ansi(std::u16string_view text) { return utf16_to_cp1252(text); }
}  // namespace kv
