#include <windows.h>

#include "corrupt_installer.h"
#include "engine_run.h"
#include "file_io_win.h"
#include "file_system_win.h"
#include "folders_win.h"
#include "icon_resources.h"
#include "install_log.h"
#include "installation_data.h"
#include "integration_run.h"
#include "overwrite_decision.h"
#include "path_variables.h"
#include "path_variables_resolve.h"
#include "paths.h"
#include "pe_edit.h"
#include "pe_image.h"
#include "reboot_operations.h"
#include "replacing_writer.h"
#include "run_state.h"
#include "system_text_win.h"
#include "text.h"
#include "uninstall_data.h"
#include "uninstall_key.h"
#include "uninstaller_placement.h"
#include "win_handles.h"

namespace integration {
namespace {


std::u16string running_file() {
  return setup::run.installation.path.empty() ? kv::module_file_name() : setup::run.installation.path;
}


// Sets the modification time the author chose for the uninstaller, when set.
void apply_uninstaller_time(const std::u16string& path) {
  const setup::DateTimeRecord& t = setup::run.settings.uninstaller_file_time;
  FILETIME file_time;
  if (!engine::time_valid(t) || !engine::to_file_time(t, file_time)) return;
  kv::UniqueFile file(CreateFileW(kv::as_wide(path), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) SetFileTime(file.get(), nullptr, nullptr, &file_time);
}

// Through the file installation's replacing writer: retries, and
// replacement at the next restart while the old uninstaller is in use.
bool write_uninstaller_image(const std::u16string& path, std::span<const std::uint8_t> image) {
  engine::FileWriteRequest request;
  request.destination = path;
  request.data = image;
  request.time = setup::run.settings.uninstaller_file_time;
  request.existed = kv::path_exists(path);
  return engine::write_replacing_file(request).written;
}

// The running file without its installation data.
std::vector<std::uint8_t> image_from_running_file() {
  std::optional<std::string> file = read_whole_file(running_file());
  if (!file) setup::corrupt_installer(42);
  std::vector<std::uint8_t> image;
  auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(file->data()), file->size());
  if (int error = setup::strip_section(bytes, setup::kSetupSectionName, image)) setup::corrupt_installer(error);
  return image;
}

// Copies the running file; when the uninstaller is in use the copy goes to a
// temporary file that replaces it at the next restart.
bool copy_running_file(const std::u16string& target) {
  const std::u16string source = running_file();
  if (CopyFileW(kv::as_wide(source), kv::as_wide(target), FALSE)) return true;

  std::u16string folder = target.substr(0, target.find_last_of(u'\\'));
  wchar_t buffer[MAX_PATH];
  if (!GetTempFileNameW(kv::as_wide(folder), L"KVT", 0, buffer)) {
    engine::error_report_append(engine::no_temporary_file_text(target, system_error_text(GetLastError())));
    return false;
  }
  std::u16string temporary = kv::from_wide(buffer);
  if (!CopyFileW(kv::as_wide(source), kv::as_wide(temporary), FALSE)) {
    DWORD error = GetLastError();
    DeleteFileW(kv::as_wide(temporary));
    engine::error_report_append(engine::no_temporary_file_text(target, system_error_text(error)));
    return false;
  }
  if (engine::move_at_reboot(temporary, target)) {
    engine::require_restart();
    engine::log_wide(engine::replacement_registered_text(target, temporary));
  } else {
    DWORD error = GetLastError();
    engine::error_report_append(engine::replacement_failed_text(target, temporary, system_error_text(error)));
    DeleteFileW(kv::as_wide(temporary));
  }
  return false;
}

}  // namespace

void prepare_uninstaller() {
  if (!setup::run.settings.ProductFlags.has_low(setup::flags_low::kRegisterUninstaller)) return;
  const std::u16string& folder = engine::run.paths.uninstall_dir;
  run.uninstaller.path = uninstaller_path(folder);
  run.uninstaller.argument = uninstall_argument(uninstall_key_name(setup::run.settings, engine::run.paths.product_name));
  run.uninstaller.icon.clear();
  if (setup::run.settings.uninstaller_icon.empty()) return;
  std::u16string icon = kv::join_path(folder, kUninstallerIconName);
  if (DWORD error = write_whole_file(icon, setup::run.settings.uninstaller_icon); error != ERROR_SUCCESS) {
    engine::log_wide_pieces({u"Failed to install uninstaller icon to ", icon, u"\r\n", system_error_text(error), u"\r\n"});
    return;
  }
  run.uninstaller.icon = icon;
  uninstall::add_to_removal_list_w(uninstall::uninstall_data, icon, uninstall::RemovalKind::file);
}

void place_uninstaller(std::span<const std::uint8_t> image) {
  if (run.uninstaller.path.empty()) prepare_uninstaller();
  const std::u16string& path = run.uninstaller.path;
  if (path.empty()) return;  // the product registers no uninstaller
  if (setup::run.installation.head.ProductFlags2 & setup::flags2::kUninstallerWithoutSetupSection) {
    std::vector<std::uint8_t> made;
    if (image.empty()) image = made = image_from_running_file();
    // The writer sets the author's time; changing the icons changes it again.
    if (!write_uninstaller_image(path, image) || setup::run.settings.uninstaller_icon.empty()) return;
    replace_icon_resources(path, setup::run.settings.uninstaller_icon);
    apply_uninstaller_time(path);
  } else if (copy_running_file(path)) {
    apply_uninstaller_time(path);
  }
}

}  // namespace integration
