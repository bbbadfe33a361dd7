#include "greeting_link.h"

#include "text.h"

namespace wizard {

std::optional<std::u16string> link_markup(std::u16string_view text, std::u16string_view address) {
  if (text.empty() || address.empty()) return std::nullopt;
  std::u16string tag = u"<a href=\"";
  for (char16_t c : address) {
    if (c == u'"') tag += u"%22";
    else if (c == u'<') tag += u"%3C";
    else if (c == u'>') tag += u"%3E";
    else tag.push_back(c);
  }
  tag += u"\">";
  return kv::replace_all(text, u"<a>", tag, true);
}

}  // namespace wizard
