#include "component_registration_rules.h"

#include "archive.h"
#include "install_log_format.h"
#include "paths.h"

namespace engine {
namespace {

constexpr std::uint32_t kRestartRequired = 3010;   // ERROR_SUCCESS_REBOOT_REQUIRED
constexpr std::uint32_t kRestartInitiated = 1641;  // ERROR_SUCCESS_REBOOT_INITIATED

constexpr char16_t kClassesKey[] = u"\\HKLM\\Software\\Classes\\CLSID\\";
constexpr char16_t kNamespaceKey[] =
    u"\\HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ControlPanel\\NameSpace\\";

std::u16string failure_with(std::u16string_view head, std::u16string_view system_text, std::u16string_view tail) {
  std::u16string text(head);
  text.append(system_text).append(tail);
  return text;
}

}  // namespace

std::u16string regsvr32_command(std::u16string_view system_folder, std::u16string_view server, bool unregister) {
  std::u16string command = u"\"" + kv::join_path(system_folder, kRegsvr32) + u"\" /s ";
  if (unregister) command += u"/u ";
  command.append(u"\"").append(server).append(u"\"");
  return command;
}

std::u16string com_result_text(std::uint32_t result) {
  return result == 0 ? u"OK\r\n" : format_wide(u"FAILED, code %d\r\n", static_cast<std::int32_t>(result));
}

std::u16string type_library_result_text(bool registered, std::u16string_view system_text) {
  return registered ? u"OK\r\n" : failure_with(u"FAILED\r\n", system_text, u"\r\n");
}

std::u16string driver_success_text(std::u16string_view final_path) {
  if (final_path.empty()) return u"OK, but resulting filepath is unknown\r\n";
  return failure_with(u"OK\r\nFinal driver location: ", final_path, u"\r\n");
}

std::u16string driver_failure_text(std::uint32_t code, std::u16string_view system_text) {
  if (system_text.empty() && code == kNoCatalogForOemInf) system_text = kNoSignatureText;
  return format_wide(u"FAILED!  Code 0x%08X: %s\r\n", code, system_text);
}

PackagePlan package_plan(std::int32_t entry_ui_level, std::uint32_t entry_flags, bool silent) {
  return {silent ? setup::kSilentPackageUiLevel : entry_ui_level,
          (entry_flags & setup::entry_flags::kRemovePackage) != 0};
}

bool package_installed(std::uint32_t result) { return result == 0 || package_needs_restart(result); }

bool package_needs_restart(std::uint32_t result) {
  return result == kRestartRequired || result == kRestartInitiated;
}

std::u16string package_message(std::u16string_view package, std::uint32_t result, std::u16string_view system_text) {
  std::u16string message = format_wide(u"Installing MSI package \"%s\"...", package);
  if (package_installed(result)) return message + u"OK\r\n";
  return message + format_wide(u"FAILED code %u: %s\r\n", result, system_text);
}

std::u16string applet_name(std::u16string_view label, std::u16string_view destination) {
  return label.empty() ? kv::file_name_of(destination) : std::u16string(label);
}

bool usable_class_id(std::u16string_view class_id) {
  return !class_id.empty() && class_id.find(u'\\') == std::u16string_view::npos;
}

AppletKeys applet_keys(std::u16string_view class_id, std::u16string_view destination, std::u16string_view arguments) {
  AppletKeys keys;
  keys.class_key = std::u16string(kClassesKey).append(class_id);
  keys.icon_key = keys.class_key + u"\\DefaultIcon";
  keys.command_key = keys.class_key + u"\\Shell\\Open\\Command";
  keys.namespace_key = std::u16string(kNamespaceKey).append(class_id);
  keys.command = u"\"" + std::u16string(destination) + u"\"";
  if (!arguments.empty()) keys.command.append(u" ").append(arguments);
  return keys;
}

std::u16string applet_step_item(std::u16string_view name) {
  return u"Control Panel extension \"" + std::u16string(name) + u"\"";
}

std::u16string applet_result_text(bool registered, std::u16string_view system_text) {
  return registered ? u"OK\r\n" : failure_with(u"FAILED!\r\n", system_text, u"\r\n\r\n");
}

}  // namespace engine
