// The records the uninstaller reads from the uninstall key and from
// Uninstall.DAT, where anything may have changed them: shared files, fonts,
// installer packages, firewall lines, the registry entry list, the flag
// words and conditional-deletion operands. None may crash, and what they
// hand on must be usable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "conditional_deletion.h"
#include "registry_items.h"
#include "shared_files.h"
#include "text.h"
#include "uninstall_records.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::u16string wide = kv::utf8_to_utf16(text);

  for (const auto& file : uninstall::parse_shared_files(text))
    if (file.path.empty()) std::abort();
  (void)uninstall::parse_product_fonts(text);
  if (auto msi = uninstall::parse_msi_line(text); msi && msi->package.empty()) std::abort();
  if (auto rule = uninstall::parse_firewall_line(text); rule && !rule->is_port && rule->program.empty()) std::abort();
  for (const auto& undo : uninstall::registry_items_to_undo(wide))
    if (undo.key.key.empty()) std::abort();
  for (const auto& parent : uninstall::product_key_parents(wide))
    if (parent.size() <= 9) std::abort();  // never "Software" itself
  (void)uninstall::parse_product_flags(wide);
  (void)uninstall::parse_product_flags2(wide);
  (void)uninstall::support_address(wide);
  if (auto date = uninstall::parse_date_operand(text)) {
    if (date->month < 1 || date->month > 12 || date->day < 1 || date->day > 31) std::abort();
    if (date->has_time && (date->hour > 23 || date->minute > 59 || date->second > 59)) std::abort();
  }
  (void)uninstall::size_operand(text);
  return 0;
}
