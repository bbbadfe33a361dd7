#pragma once
// Adding a product folder to the system PATH and taking it out again. The
// text edit is pure; change_system_path applies it to the machine's PATH.
#include <optional>
#include <string>
#include <string_view>

namespace integration {

enum class PathChange { add, remove };

// The folder a PATH change names: the installation folder when empty, a
// relative folder taken from the installation folder.
std::u16string path_change_folder(std::u16string_view folder, std::u16string_view install_folder);

// The PATH with the folder added or removed; nothing when it stays as it is.
// Entries compare without regard to case and only as whole entries, so that
// an entry that merely ends with the folder's text is never cut.
std::optional<std::u16string> edit_path_value(std::u16string_view path, std::u16string_view folder,
                                              PathChange change);

// Windows only: edits "Path" of the machine's environment (an expandable
// string), when the key can be opened and the value is not empty. Adding a
// folder that does not exist is logged and changes nothing.
void change_system_path(PathChange change, std::u16string_view folder, std::u16string_view install_folder);

}  // namespace integration
