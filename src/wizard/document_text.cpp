#include "document_text.h"

#include "text.h"

namespace wizard {

DocumentText document_text(std::string_view stored) {
  DocumentText out;
  if (stored.starts_with("{\\rtf")) {
    out.rich = true;
    out.rtf = std::string(stored);
    return out;
  }
  if (stored.starts_with("\xFF\xFE")) {
    stored.remove_prefix(2);
    out.plain.reserve(stored.size() / 2);
    for (std::size_t i = 0; i + 1 < stored.size(); i += 2)
      out.plain.push_back(char16_t(std::uint8_t(stored[i]) | (std::uint8_t(stored[i + 1]) << 8)));
    return out;
  }
  out.plain = kv::cp1252_to_utf16(stored);
  return out;
}

}  // namespace wizard
