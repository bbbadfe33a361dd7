#pragma once
// Which language the language page selects first: the one the system's
// user interface speaks, else English, else the first.
#include <span>
#include <string>
#include <string_view>

namespace wizard {

// A language's entry in the page's list: a tab and the name.
std::u16string language_entry(std::u16string_view name);

// The system's name of its language as the list would show it: cut before
// any "(" ("Deutsch (Deutschland)" is "Deutsch") and trimmed.
std::u16string system_language_key(std::u16string_view system_name);

// The index into `names` (the installation's languages) to select.
// `system_names` are the system's names of its user-interface language, best
// first (its own name, then the English one); names compare ignoring ASCII
// case. 0 when nothing matches and there is no "English".
int preselected_language(std::span<const std::u16string> names, std::span<const std::u16string> system_names);

// A list selection as a language index: clamped to the list, 0 for none.
int clamped_language(int selection, int count);

}  // namespace wizard
