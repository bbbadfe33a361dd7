#pragma once
// The lists the file loop fills for the steps after it: component
// registration, the shared-file reference counts, the pending-operation
// cleanup, the uninstall key's font and shared-file values. One structure
// for the run, owned by the installation driver.
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// A file whose reference count under SharedDLLs the installation raises.
struct SharedFileReference {
  std::string path;  // marked
  // How the uninstaller treats it at count zero: '^' a COM server to
  // unregister, '\xA9' a type library to unregister, ' ' a file never
  // removed, 0 a plain file.
  char marker = 0;
};

// A font the installation registered.
struct InstalledFont {
  std::u16string title;     // the value name under the system's Fonts key
  std::u16string file_name;  // its data: the target name, normally a bare name in the fonts folder
};

struct FileLoopLists {
  // Registered after the loop, in file order (marked paths).
  std::vector<std::string> com_servers;     // kind 7
  std::vector<std::string> type_libraries;  // kind 8
  std::vector<std::string> driver_infs;     // kind 10
  // Kinds 1 (not portable), 6, 7 and 8, in file order, repeats included: the
  // counting raises each distinct path once.
  std::vector<SharedFileReference> reference_counts;
  // Files written directly (not scheduled for the next restart), as
  // path_set_key() gives them; pending restart operations on them are stale.
  std::set<std::u16string> written_paths;
  std::vector<InstalledFont> fonts;
  bool fonts_changed = false;  // WM_FONTCHANGE goes out after the loop
};


// A path as the path set holds it: ASCII capitals lowered.
std::u16string path_set_key(std::u16string_view path);

// The uninstall key's `SharedFiles`: each distinct path (ignoring ASCII
// case) once, double-quoted, with its marker inside the quotes, joined by
// ";": "C:\Common\a.dll^";"C:\Common\b.dll".
std::string shared_files_value(const std::vector<SharedFileReference>& references);

// The uninstall key's `ProductFonts`: per font two double-quoted texts, the
// title (UTF-8) and the file name (marked), separated by a comma; fonts
// separated by ";"; a double quote inside a text is doubled:
// "Sans Test (TrueType)","sanstest.ttf";"Other","other.ttf".
std::string product_fonts_value(const std::vector<InstalledFont>& fonts);

}  // namespace engine
