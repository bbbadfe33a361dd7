#pragma once
// What component registration decides, apart from the system calls that
// carry it out: the command line that registers a COM server, the UI level
// and record of an installer package, the keys of a control panel applet,
// and the texts each outcome leaves in the installation log.
#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

// The file name of the system's self-registration program.
inline constexpr char16_t kRegsvr32[] = u"regsvr32.exe";

// The silent self-registration (or, with `unregister`, unregistration) of one
// server. The program is named by its full path in the system folder, so a
// program of the same name beside the installer or in the current folder is
// never run instead.
std::u16string regsvr32_command(std::u16string_view system_folder, std::u16string_view server, bool unregister);

// The end of a COM server's log line: "OK\r\n", or "FAILED, code %d\r\n" for
// any other result.
std::u16string com_result_text(std::uint32_t result);

// The end of a type library's log line: "OK\r\n", or "FAILED\r\n", the
// system's text and "\r\n".
std::u16string type_library_result_text(bool registered, std::u16string_view system_text);

// Driver packages: the error the system gives an INF without a catalog where
// signatures are required, and the text it is shown with when the system
// itself has none.
inline constexpr std::uint32_t kNoCatalogForOemInf = 0xE000022F;
inline constexpr char16_t kNoSignatureText[] = u"The INF does not contain digital signature information.";
// The end of a driver's log line after a copy that succeeded, with the path
// the system gave the copied INF (empty when it gave none).
std::u16string driver_success_text(std::u16string_view final_path);
// "FAILED!  Code 0x%08X: " and the text; `system_text` may be empty.
std::u16string driver_failure_text(std::uint32_t code, std::u16string_view system_text);

// Installer packages. The UI level is the entry's, except in a silent run,
// which shows nothing; the uninstaller removes the package with the level it
// was installed with, when the entry asks for its removal.
struct PackagePlan {
  std::int32_t ui_level = 0;
  bool record_for_uninstall = false;
};
PackagePlan package_plan(std::int32_t entry_ui_level, std::uint32_t entry_flags, bool silent);
// Results of the installation that mean success; the second also needs a
// restart to finish.
bool package_installed(std::uint32_t result);
bool package_needs_restart(std::uint32_t result);
// "Installing MSI package \"%s\"..." followed by "OK\r\n", or by
// "FAILED code %u: ", the system's text and "\r\n".
std::u16string package_message(std::u16string_view package, std::uint32_t result, std::u16string_view system_text);

// Control panel applets. The name is the entry's label, or without one the
// destination's file name.
std::u16string applet_name(std::u16string_view label, std::u16string_view destination);
// A class identifier can name a key of its own: not empty and without a
// backslash, which would turn the key recorded for removal into one of the
// system's own (or a key below one).
bool usable_class_id(std::u16string_view class_id);
// The applet's keys in the form the removal list records ("\HKLM\..."), all
// in the 64-bit registry view, and the command its class opens.
struct AppletKeys {
  std::u16string class_key;      // default value: the name; recorded
  std::u16string icon_key;       // default value: the applet's file
  std::u16string command_key;    // default value: `command`
  std::u16string namespace_key;  // default value: the name; recorded
  std::u16string command;        // the quoted file, a blank and the arguments when there are any
};
AppletKeys applet_keys(std::u16string_view class_id, std::u16string_view destination, std::u16string_view arguments);
// The item named by the step text while an applet is registered.
std::u16string applet_step_item(std::u16string_view name);
// The end of an applet's log line: "OK\r\n", or "FAILED!\r\n", the system's
// text and "\r\n\r\n".
std::u16string applet_result_text(bool registered, std::u16string_view system_text);

}  // namespace engine
