#pragma once
// The checks a folder chosen on the installation folder page must pass, as
// pure functions of what the driver found out about it. The page comes back
// until a folder passes them all.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace setup {

// A folder path that can name a folder: absolute (a drive or a network
// share), none of the characters a name cannot hold, no empty level.
bool valid_folder_path(std::u16string_view folder);
// "C:\" for a folder on drive C, "\\server\share\" for one on a share.
std::u16string drive_root_of(std::u16string_view folder);

struct DestinationFacts {
  bool valid_path = false;
  bool drive_ready = false;
  bool network = false;            // a share, or a mapped network drive
  bool program_files_root = false;  // one of the system's program files folders itself
  bool cd_drive = false;
  bool removable_drive = false;
  std::optional<std::uint64_t> free_bytes;  // unknown: not checked
  std::uint64_t required_bytes = 0;
};

struct DestinationRules {
  bool refuse_network = false;
  bool refuse_removable = false;
};

// What refuses the folder before any question, in the order of the checks.
enum class DestinationRefusal {
  none,
  invalid_path,       // shown as a folder that cannot be created
  drive_not_ready,    // the same
  network,            // text 66
  program_files_root, // text 18 with the folder
  unsuitable_drive,   // text 96
};

DestinationRefusal destination_refusal(const DestinationFacts& facts, const DestinationRules& rules);
// The drive has less free space than the installation needs: the question
// whether to install there anyway.
bool short_of_space(const DestinationFacts& facts);

}  // namespace setup
