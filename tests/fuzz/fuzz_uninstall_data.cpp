// Uninstall.DAT is read back from the disk, where anything may have changed
// it. Besides surviving any bytes, what is read must survive a rewrite: the
// uninstaller rewrites the file with what it failed to remove.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "uninstall_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view image(reinterpret_cast<const char*>(data), size);
  uninstall::UninstallData first = uninstall::parse_uninstall_image(image);
  std::string rewritten = uninstall::build_uninstall_image(first);
  uninstall::UninstallData second = uninstall::parse_uninstall_image(rewritten);

  bool same = second.header_text == first.header_text && second.close_rules.size() == first.close_rules.size() &&
              second.firewall == first.firewall && second.inf == first.inf && second.msi == first.msi &&
              second.registry_items == first.registry_items;
  for (int id : uninstall::kUninstallTextIds)
    same = same && uninstall::uninstall_text(second, id) == uninstall::uninstall_text(first, id);
  for (std::size_t i = 0; same && i < first.close_rules.size(); ++i) {
    const auto &a = first.close_rules[i], &b = second.close_rules[i];
    same = a.class_pattern == b.class_pattern && a.title_pattern == b.title_pattern &&
           a.display_name == b.display_name && a.close_mode == b.close_mode && a.phase_flags == b.phase_flags;
  }
  std::size_t kept = 0;
  for (const auto& entry : first.conditional_deletions) {
    if (!(entry.flags & setup::ConditionalDeletion::kDuringUninstallation)) continue;
    const auto* again = kept < second.conditional_deletions.size() ? &second.conditional_deletions[kept] : nullptr;
    same = same && again && again->pattern == entry.pattern && again->comparison == entry.comparison &&
           again->operand == entry.operand && again->flags == entry.flags;
    ++kept;
  }
  same = same && kept == second.conditional_deletions.size();
  if (!same) std::abort();
  return 0;
}
