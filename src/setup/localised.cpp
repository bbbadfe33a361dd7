#include "localised.h"
#include "run_state.h"

namespace setup {

Placeholders run_placeholders(const Settings& settings, std::u16string_view name_override,
                              std::u16string_view system_name) {
  Placeholders p;
  p.product = name_override.empty() ? settings.DisplayName : std::u16string(name_override);
  p.description = settings.product_description.empty() ? p.product : settings.product_description;
  p.os = system_name;
  return p;
}

std::u16string localised(int number) { return expand_placeholders(run.strings.raw(number), run.placeholders); }

}  // namespace setup
