#pragma once
// Which folders the uninstaller removes, and in which order: folders are
// removed only when empty, deepest first, so that a folder's subfolders go
// before it and empty parents follow, up to but never including the
// installation folder.
#include <string>
#include <string_view>
#include <vector>

namespace uninstall {

// The removal list's directories, longest path first; equal lengths keep
// their order.
void sort_longest_first(std::vector<std::u16string>& directories);

// The folder and then each parent, in the order they are tried: stops
// before `stop_at` (when not empty), before a drive root, and after `limit`
// folders. The caller stops at the first folder that cannot be removed.
std::vector<std::u16string> removal_chain(std::u16string_view folder, std::u16string_view stop_at, int limit);

// How many folders the uninstaller tries for each directory record, and for
// the start-menu folder.
inline constexpr int kDirectoryChainLimit = 50;
inline constexpr int kStartMenuChainLimit = 20;

// The start-menu folder of the product and its parents inside the programs
// folder, deepest first; never the programs folder itself. Empty when the
// product has no start-menu folder.
std::vector<std::u16string> start_menu_chain(std::u16string_view programs_folder, std::u16string_view start_menu);

// Whether the whole installation folder may be deleted with its contents:
// never a drive root, and never a protected folder (the Windows, system,
// program files and common files folders, the user's profile) nor a folder
// that contains one.
bool may_delete_whole_folder(std::u16string_view folder, const std::vector<std::u16string>& protected_folders);

}  // namespace uninstall
