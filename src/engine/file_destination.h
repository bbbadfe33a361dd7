#pragma once
// Where a file entry goes: its name in the installation and its destination
// path, from the author's destination (the wide name), the kind's default
// folder and the uninstall-folder flag. Pure: path variables are expanded
// through the caller's function.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace engine {

// Expands the path variables of a text (expand_path_variables on Windows).
using PathExpander = std::function<std::u16string(std::u16string)>;

struct DestinationInput {
  std::string_view target_name;  // marked 8-bit, as stored
  std::u16string_view wide_name;  // the author's destination; empty = the kind's default
  std::uint32_t kind = 0;
  std::uint32_t flags = 0;
  // A portable installation whose shared folder lies inside it (a portable
  // shared subfolder is set): shared files must not leave the drive.
  bool portable_shared_folder = false;
};

struct FileDestination {
  std::u16string name;  // the target name, or the wide name when that is a bare file name
  std::u16string path;
  // The loop creates the destination's folder (and records it) only for the
  // author's own destinations and the installation folder's kinds.
  bool create_folder = false;
};

// Empty for a kind the installer does not know.
std::optional<FileDestination> compute_destination(const DestinationInput& input, const PathExpander& expand);

std::u16string make_absolute(std::u16string_view path, std::u16string_view base);

}  // namespace engine
