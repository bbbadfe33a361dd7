#pragma once
// The folder pages' path rules: which drive a typed folder lies on, and a
// folder picked under the programs folder as the start-menu name.
#include <optional>
#include <string>
#include <string_view>

namespace wizard {

// "C:\" for "C:\Program Files\App", "\\server\share\" for a network path;
// empty when the text names no drive (a relative or half-typed path).
std::u16string drive_root(std::u16string_view folder);

// The part of `folder` below `root` ("Tools\Extra" for root "C:\P" and
// "C:\P\Tools\Extra"; empty for the root itself), compared ignoring ASCII
// case; nothing when the folder is not under the root.
std::optional<std::u16string> folder_below(std::u16string_view folder, std::u16string_view root);

}  // namespace wizard
