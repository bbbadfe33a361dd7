#pragma once
// The system's list of file operations waiting for the next restart:
// "PendingFileRenameOperations", a multi-string of (source, target) pairs.
// Paths may carry the NT prefix "\??\", a target a leading "!" (replace an
// existing file); an empty target deletes the source.
#include <string>
#include <string_view>
#include <vector>

namespace engine {

struct PendingRename {
  std::u16string source;
  std::u16string target;  // empty: delete the source

  bool is_deletion() const { return target.empty(); }
  bool operator==(const PendingRename&) const = default;
};

// Pairs the strings in order; an odd last string gets an empty target.
std::vector<PendingRename> pending_renames_from_strings(const std::vector<std::u16string>& strings);
std::vector<std::u16string> pending_renames_to_strings(const std::vector<PendingRename>& renames);

// A path as compared with the paths a run wrote or deleted: without the
// leading "\", "?" and "!" characters, lower-cased.
std::u16string pending_path_key(std::u16string_view path);

// Registry layer (Windows only): the value under HKEY_LOCAL_MACHINE
// "SYSTEM\CurrentControlSet\Control\Session Manager", native registry view.
//
// The list; false when it cannot be read (a missing value reads as an empty
// list).
bool read_pending_renames(std::vector<PendingRename>& renames);
// Writes the list back; an empty list removes the value. Returns the
// system's error code.
long write_pending_renames(const std::vector<PendingRename>& renames);

}  // namespace engine
