#include "destination_checks.h"

#include "paths.h"

namespace setup {
namespace {

bool separator(char16_t c) { return c == u'\\' || c == u'/'; }

}  // namespace

bool valid_folder_path(std::u16string_view folder) {
  if (!kv::is_absolute_path(folder)) return false;
  const bool unc = separator(folder[0]);
  if (!unc && folder.size() < 3) return false;  // "C:" alone is the drive's current folder
  std::u16string_view rest = folder.substr(unc ? 2 : 3);
  if (!rest.empty() && separator(rest.back())) rest.remove_suffix(1);
  if (!rest.empty() && separator(rest.back())) return false;
  std::size_t levels = 0;
  while (!rest.empty()) {
    std::size_t end = 0;
    while (end < rest.size() && !separator(rest[end])) ++end;
    std::u16string_view name = rest.substr(0, end);
    if (name.empty()) return false;
    for (char16_t c : name)
      if (c < 0x20 || std::u16string_view(u"<>:\"|?*").find(c) != std::u16string_view::npos) return false;
    // The system drops a trailing blank or dot, so such a name is not the
    // folder the user sees ("." and ".." are no folders either).
    if (name.back() == u' ' || name.back() == u'.') return false;
    ++levels;
    rest.remove_prefix(end == rest.size() ? end : end + 1);
  }
  // A share needs its server and its name.
  return !unc || levels >= 2;
}

std::u16string drive_root_of(std::u16string_view folder) {
  if (folder.size() >= 2 && folder[1] == u':') return std::u16string(folder.substr(0, 2)) + u"\\";
  if (folder.size() < 2 || !separator(folder[0]) || !separator(folder[1])) return {};
  std::size_t server_end = folder.find_first_of(u"\\/", 2);
  if (server_end == std::u16string_view::npos) return {};
  std::size_t share_end = folder.find_first_of(u"\\/", server_end + 1);
  return std::u16string(folder.substr(0, share_end)) + u"\\";
}

DestinationRefusal destination_refusal(const DestinationFacts& facts, const DestinationRules& rules) {
  if (!facts.valid_path) return DestinationRefusal::invalid_path;
  // Before readiness: a share that cannot be reached is still refused as a
  // network folder, with the text that tells why.
  if (rules.refuse_network && facts.network) return DestinationRefusal::network;
  if (!facts.drive_ready) return DestinationRefusal::drive_not_ready;
  if (facts.program_files_root) return DestinationRefusal::program_files_root;
  if (facts.cd_drive || (rules.refuse_removable && facts.removable_drive)) return DestinationRefusal::unsuitable_drive;
  return DestinationRefusal::none;
}

bool short_of_space(const DestinationFacts& facts) {
  return facts.free_bytes && *facts.free_bytes < facts.required_bytes;
}

}  // namespace setup
