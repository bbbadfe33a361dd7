#include "pending_cleanup.h"

namespace uninstall {
namespace {

// The path without the NT prefix "\??\" and a replacement's "!".
std::u16string plain_path(const std::u16string& path) {
  std::size_t first = path.find_first_not_of(u"\\?!");
  return first == std::u16string::npos ? std::u16string() : path.substr(first);
}

bool in_set(const RunPathSet& paths, const std::u16string& path) {
  return paths.contains(engine::pending_path_key(path));
}

}  // namespace

PendingCleanup clean_pending_list(const std::vector<std::u16string>& strings, const RunPathSet& paths,
                                  CleanupPhase phase) {
  PendingCleanup result;
  std::vector<engine::PendingRename> pairs = engine::pending_renames_from_strings(strings);
  if (pairs.empty()) return result;
  const bool installing = phase == CleanupPhase::installation;
  if (installing) result.log += u"\r\n";

  for (engine::PendingRename& pair : pairs) {
    std::u16string source = plain_path(pair.source);
    std::u16string target = plain_path(pair.target);
    if (!pair.is_deletion() && in_set(paths, target)) {
      result.changed = true;
      if (!source.empty()) result.sources_to_delete.push_back(source);
      if (installing) result.log += u"File \"" + target + u"\" was removed from the list of pending moves.\r\n";
    } else if (pair.is_deletion() && (source.empty() || in_set(paths, source))) {
      result.changed = true;
      if (installing && !source.empty())
        result.log += u"File \"" + source + u"\" was removed from the list of pending deletions.\r\n";
    } else {
      result.kept.push_back(std::move(pair));
    }
  }
  return result;
}

}  // namespace uninstall
