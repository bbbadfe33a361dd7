#pragma once
// Shortcuts: the desktop folder, the shortcut list (the settings' own and
// those of installed files), the root shortcut and the taskbar pin, each
// recorded for the uninstaller.
namespace integration {

void create_shortcuts();

}  // namespace integration
