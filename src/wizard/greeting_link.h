#pragma once
// The greeting's link: the text's "<a>" becomes an anchor to the author's
// address.
#include <optional>
#include <string>
#include <string_view>

namespace wizard {

// The link control's markup, or nothing when the text or the address is
// empty (the link is then hidden). The address's quotes and angle brackets
// are percent-encoded so that it cannot end the tag.
std::optional<std::u16string> link_markup(std::u16string_view text, std::u16string_view address);

}  // namespace wizard
