#pragma once
// Shared files: files that several products may install, kept alive by a
// reference count under "Software\Microsoft\Windows\CurrentVersion\SharedDLLs".
// The installation raises each count; the uninstaller lowers it and removes
// the file only when no product uses it any more.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace uninstall {

// What the uninstaller does with a shared file whose count reaches zero;
// the uninstall key's `SharedFiles` marks it with its path's last character.
enum class SharedFileKind {
  plain,         // no marker: deleted
  com_server,    // "^": unregistered, then deleted
  type_library,  // 0xA9: unregistered, then deleted
  kept,          // a blank: never deleted
};

struct SharedFile {
  std::u16string path;  // also the name of its count value
  SharedFileKind kind = SharedFileKind::plain;
  bool operator==(const SharedFile&) const = default;
};

// The uninstall key's `SharedFiles`: double-quoted marked paths separated by
// ";", each with its marker inside the quotes. Entries without quotes are
// taken up to the next ";" (a trailing blank is no marker there); empty
// entries are skipped.
std::vector<SharedFile> parse_shared_files(std::string_view value);

// One count lowered: the stored value is a signed number, and anything
// below 1 already counts as zero (and is left as it is).
struct SharedCountChange {
  bool write_back = false;
  std::uint32_t new_count = 0;
  bool reached_zero = false;
  bool operator==(const SharedCountChange&) const = default;
};
SharedCountChange lower_shared_count(std::uint32_t stored);

// Whether the file itself goes: only at zero, and never a kept file.
bool shared_file_removable(SharedFileKind kind, bool reached_zero);

}  // namespace uninstall
