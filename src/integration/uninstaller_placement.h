#pragma once
// The product's uninstaller: this very program, placed in the uninstall
// folder under a fixed name, either copied from the running file or written
// from the image without the installation data, and given the author's icon.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace integration {

inline constexpr char16_t kUninstallerFileName[] = u"uninstall.exe";
inline constexpr char16_t kUninstallerIconName[] = u"uninstall.ico";

// Where the uninstaller goes and how it is started; prepared before the
// shortcuts, which point at it.
struct UninstallerPlacement {
  std::u16string path;      // uninstall folder \ uninstall.exe
  std::u16string argument;  // "/u:\"key name\""
  std::u16string icon;      // uninstall.ico when it was written, else empty
};

// The uninstall folder joined with the uninstaller's file name.
std::u16string uninstaller_path(std::u16string_view uninstall_folder);

// Windows only.
//
// Fills `uninstaller` (only when the product registers an uninstaller) and
// writes the author's uninstaller icon to uninstall.ico, recorded for the
// uninstaller.
void prepare_uninstaller();

// Writes the uninstaller: from the image without the installation data when
// ProductFlags2 0x20 is set (the icon replaced when the author gave one),
// else as a copy of the running file. `image` is the image the driver built
// already; when empty it is made from the running file here. A file in use
// is replaced at the next restart; failures go to the error report.
void place_uninstaller(std::span<const std::uint8_t> image = {});

}  // namespace integration
