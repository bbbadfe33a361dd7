#include "path_environment.h"

#include "paths.h"
#include "text.h"

namespace integration {
namespace {

// Where the folder stands as a whole entry followed by ";", or npos.
std::size_t find_entry(std::u16string_view path, std::u16string_view folder) {
  std::u16string needle = std::u16string(folder) + u';';
  for (std::size_t at = kv::ifind(path, needle); at != std::u16string_view::npos;
       at = kv::ifind(path, needle, at + 1)) {
    if (at == 0 || path[at - 1] == u';') return at;
  }
  return std::u16string_view::npos;
}

bool ends_with_entry(std::u16string_view path, std::u16string_view folder) {
  if (path.size() < folder.size()) return false;
  std::size_t at = path.size() - folder.size();
  return kv::iequals(path.substr(at), folder) && (at == 0 || path[at - 1] == u';');
}

}  // namespace

std::u16string path_change_folder(std::u16string_view folder, std::u16string_view install_folder) {
  if (folder.empty()) return std::u16string(install_folder);
  if (kv::is_absolute_path(folder)) return std::u16string(folder);
  return kv::join_path(install_folder, folder);
}

std::optional<std::u16string> edit_path_value(std::u16string_view path, std::u16string_view folder,
                                              PathChange change) {
  if (folder.empty()) return std::nullopt;
  std::size_t at = find_entry(path, folder);
  if (at != std::u16string_view::npos) {
    if (change == PathChange::add) return std::nullopt;
    std::u16string edited(path);
    edited.erase(at, folder.size() + 1);
    return edited;
  }
  bool at_end = ends_with_entry(path, folder);
  if (change == PathChange::add) {
    if (at_end) return std::nullopt;
    std::u16string edited(path);
    if (!edited.empty() && edited.back() != u';') edited += u';';
    return edited.append(folder);
  }
  if (!at_end) return std::nullopt;
  std::u16string edited(path.substr(0, path.size() - folder.size()));
  if (!edited.empty() && edited.back() == u';') edited.pop_back();
  return edited;
}

}  // namespace integration
