#pragma once
// The one set of rules for Windows paths held as text: joining, trimming,
// splitting and normalising. Both "\" and "/" count as separators; what is
// produced uses "\".
#include <span>
#include <string>
#include <string_view>

namespace kv {

bool is_path_separator(char16_t c);

// "C:\" + ":" + a separator, or two separators at the start (a UNC path);
// a bare "C:" counts too. "C:name" (relative to a drive's current folder)
// does not.
bool is_absolute_path(std::u16string_view path);
// "C:\", "C:" or shorter: a path whose removal would be a drive's.
bool is_drive_root_or_shorter(std::u16string_view path);

// The folder and the name with exactly one "\" between them: separators at
// the join are folded ("C:\App" + "\Uninstall" is "C:\App\Uninstall"). An
// empty name gives the folder unchanged, an empty folder the name unchanged.
std::u16string join_path(std::u16string_view folder, std::u16string_view name);

// Without separators at the end, except those of a root ("C:\", "\\" of a
// UNC start, a lone "\").
std::u16string without_trailing_separators(std::u16string_view path);

// The folder that holds the path: "C:\a\b" gives "C:\a", "C:\a" gives
// "C:\" (the root keeps its separator), a bare name gives "".
std::u16string parent_folder(std::u16string_view path);
// The last component: "C:\a\b.txt" gives "b.txt".
std::u16string file_name_of(std::u16string_view path);

// "/" becomes "\", runs of separators become one (the two of a UNC path's
// start stay), and the trailing separator goes except a drive root's.
std::u16string normalise_path(std::u16string_view path);

// Whether two paths name the same folder, ignoring ASCII letter case, the
// kind of separator and trailing separators.
bool same_path(std::u16string_view a, std::u16string_view b);
// Whether `path` is `ancestor` or lies inside it (same comparison).
bool path_is_within(std::u16string_view path, std::u16string_view ancestor);

// A folder that holds nothing but the shell's own thumbs.db and desktop.ini
// counts as empty: those two go with it. Anything else keeps them.
bool empty_but_for_shell_files(std::span<const std::u16string> names);

}  // namespace kv
