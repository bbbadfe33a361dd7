#pragma once
// Shell links (.lnk files) made through the shell's own link object, and the
// shell's verb that pins one to the taskbar (Windows only).
#include <windows.h>

#include <cstdint>
#include <string>

namespace integration {

struct ShellLink {
  std::u16string path;            // ".LNK" is added unless it ends with ".lnk"
  std::u16string target;
  std::u16string arguments;       // empty: none
  std::u16string working_folder;  // empty: none; trimmed, without trailing "\"
  std::u16string icon;            // empty: the target's own, index 0
  std::uint8_t show_mode = 0;     // 1 minimised without activation, 2 maximised, else normal
};

// Saves the link, creating its folder first. ERROR_SUCCESS, or the error (a
// system error code, or the shell's HRESULT) for system_error_text.
DWORD create_shell_link(const ShellLink& link);

// Asks the shell to pin the link to the taskbar. ERROR_SUCCESS or the error.
DWORD pin_to_taskbar(const std::u16string& link_path);

}  // namespace integration
