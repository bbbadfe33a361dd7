#include "start_menu_name.h"

namespace wizard {

bool valid_start_menu_name(std::u16string_view name) {
  if (name.find_first_of(u"/\"<>|*?:;") != std::u16string_view::npos) return false;
  if (!name.empty() && name.front() == u'\\') return false;
  return name.find(u"\\\\") == std::u16string_view::npos;
}

}  // namespace wizard
