#include "pending_renames.h"

#include "kv_core.h"

namespace engine {

std::vector<PendingRename> pending_renames_from_strings(const std::vector<std::u16string>& strings) {
  std::vector<PendingRename> renames;
  renames.reserve((strings.size() + 1) / 2);
  for (std::size_t i = 0; i < strings.size(); i += 2)
    renames.push_back({strings[i], i + 1 < strings.size() ? strings[i + 1] : std::u16string()});
  return renames;
}

std::vector<std::u16string> pending_renames_to_strings(const std::vector<PendingRename>& renames) {
  std::vector<std::u16string> strings;
  strings.reserve(renames.size() * 2);
  for (const PendingRename& rename : renames) {
    strings.push_back(rename.source);
    strings.push_back(rename.target);
  }
  return strings;
}

std::u16string pending_path_key(std::u16string_view path) {
  std::size_t first = path.find_first_not_of(u"\\?!");
  if (first == std::u16string_view::npos) return {};
  std::u16string key(path.substr(first));
  for (char16_t& c : key) c = kv::ascii_lower(c);
  return key;
}

}  // namespace engine
