#include "reboot_operations.h"

#include <cstdio>

#include "engine_run.h"
#include "run_state.h"

namespace engine {

namespace {
constexpr std::uint32_t kErrorInvalidName = 123;
}  // namespace

void require_restart() {
  run.reboot.reboot_required = true;
  setup::run.settings.ProductFlags.low |= setup::flags_low::kRebootRequired;
}

ReplaceDecision decide_replacement(bool existed, bool schedule_new_files, std::uint32_t write_error,
                                   bool drive_present) {
  if (!drive_present) return ReplaceDecision::drive_missing;
  if (!(existed || schedule_new_files) || write_error == kErrorInvalidName) return ReplaceDecision::not_eligible;
  return ReplaceDecision::attempt;
}

std::u16string drive_missing_text(char16_t drive) {
  return u"Drive " + std::u16string(1, drive) + u": is not present.\r\n";
}

std::u16string no_temporary_file_text(std::u16string_view destination, std::u16string_view error_text) {
  std::u16string text = u"Failed to register '";
  text.append(destination).append(u"' for replacement because no temporary file could be created.\r\n");
  text.append(error_text).append(u"\r\n\r\n");
  return text;
}

std::u16string replacement_registered_text(std::u16string_view destination, std::u16string_view temporary) {
  std::u16string text = u"\"";
  text.append(destination).append(u"\" was successfully registered for replacement.\r\nTemporary file is \"");
  text.append(temporary).append(u"\"\r\nReboot will be required.\r\n\r\n");
  return text;
}

std::u16string replacement_failed_text(std::u16string_view destination, std::u16string_view temporary,
                                       std::u16string_view error_text) {
  std::u16string text = u"Failed to register '";
  text.append(destination).append(u"' for replacement with temporary file '").append(temporary).append(u"'\r\n");
  text.append(error_text).append(u"\r\n\r\n");
  return text;
}

std::u16string fallback_temporary_name(std::uint16_t number) {
  char name[16];
  std::snprintf(name, sizeof name, "KVT%4X.%s", static_cast<unsigned>(number), "tmp");
  return std::u16string(name, name + std::char_traits<char>::length(name));
}

}  // namespace engine
