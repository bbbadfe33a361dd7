#include "driver_steps.h"

#include <windows.h>

#include "archive.h"
#include "corrupt_installer.h"
#include "dialogs.h"
#include "driver_state.h"
#include "exit_routine.h"
#include "batch_file.h"
#include "batch_runner.h"
#include "completion.h"
#include "file_install.h"
#include "folder_rights.h"
#include "uninstaller_placement.h"
#include "version_compare.h"
#include "install_log.h"
#include "install_log_win.h"
#include "installation_data.h"
#include "kv_core.h"
#include "localised.h"
#include "path_variables_win.h"
#include "restore_point.h"
#include "run_modes.h"
#include "conditional_deletion.h"
#include "pending_cleanup.h"
#include "uninstall_data.h"
#include "win_handles.h"

namespace setup::steps {
namespace {

// Forwards the container's and the file loop's progress to the progress
// window, once it exists.
class DriverProgress : public engine::FileLoopProgress {
 public:
  void wait_minimum_display() override {}
  void show_step(int text_number) override { status(text_number, -1); }
  void post_progress(int percent) override { status(-1, percent); }
  void show_text(const std::u16string&) override {}
};
DriverProgress g_progress;

std::u16string log_localised(int number) { return localised(number); }

}  // namespace

int compare_versions(std::u16string_view a, std::u16string_view b) { return engine::compare_versions(a, b); }

std::u16string uninstall_key_name() {
  return settings.uninstall_key_name.empty() ? placeholders.product : settings.uninstall_key_name;
}

void prepare_texts() {
  settings.header_text = expand_placeholders(settings.header_text, placeholders);
  uninstall::capture_uninstall_texts(uninstall::uninstall_data, [](int id) { return localised(id); });
  uninstall::uninstall_data.header_text = settings.header_text;
}

void notify(const std::string& address) {
  // Notification requests come with the network worker; until then an
  // address is only expanded, so that its placeholders are checked.
  if (!address.empty()) (void)engine::expand_notification_address(address);
}

void language_page() {}
void greeting_page() {}
void password_page() {
  // Without the wizard a password cannot be typed: the run is refused rather
  // than installed without it.
  if (!settings.installation_password.empty()) cancel();
}
void licence_and_readme_pages() {}
void destination_page() {}
bool ask_must_uninstall() { return false; }

void cancel() {
  if (!modes.automatic)
    kv::message_box(localised(modes.uninstall ? 101 : 98), localised(111), MB_OK | MB_ICONEXCLAMATION);
  exit_installer(1);
}

void close_applications() {
  // Closing running programs comes with its own part; what the installer
  // keeps are the rules the uninstaller needs.
  auto& rules = uninstall::uninstall_data.close_rules;
  rules.clear();
  for (const CloseRule& r : settings.close_rules) {
    if (!(r.phase_flags & CloseRule::kBeforeUninstallQuestion)) continue;
    rules.push_back({r.class_pattern, r.title_pattern, r.display_name, r.close_mode, r.phase_flags});
  }
}

bool on_removable_drive(const std::u16string& folder) {
  if (folder.size() < 2 || folder[1] != u':') return false;
  std::u16string root = folder.substr(0, 2) + u"\\";
  return GetDriveTypeW(kv::as_wide(root)) == DRIVE_REMOVABLE;
}

void status(int text_number, int percent) {
  // The progress window comes with the wizard; its step texts and
  // percentages have nowhere to go yet.
  (void)text_number;
  (void)percent;
}

void begin_installation_proper() {
  engine::LogRunSettings& log = engine::install_log.settings;
  log.product_flags_low = settings.ProductFlags.low;
  log.product_flags_high = settings.ProductFlags.high;
  log.summary_has_choices =
      !settings.launch_application.empty() || !settings.run_program.empty() || !settings.open_document.empty();
  log.localised = log_localised;
  engine::open_run_log();
  notify(settings.copy_start_address);
}

void restore_point() {
  if (!(installation.head.ProductFlags2 & flags2::kRestorePoint)) return;
  status(97, -1);
  engine::log_text("Creating restore point...");
  if (auto sequence = kv::begin_restore_point(placeholders.product)) {
    driver.restore_point_sequence = *sequence;
    engine::log_text("OK\r\n");
  } else {
    engine::log_text("FAILED\r\n");
    installation.head.ProductFlags2 &= ~flags2::kRestorePoint;
  }
}

void grant_rights(const std::u16string& folder) { integration::grant_folder_rights(folder); }

// Step 21: the batches before the files, each announced in the log by name
// only when the settings ask for it.
void run_installation_batches() {
  const std::uint32_t flags2 = installation.head.ProductFlags2;
  auto run = [&](const std::string& commands, bool hidden, std::uint32_t announce_bit, const char* name) {
    if (commands.empty()) return;
    integration::run_batch(commands, hidden, (flags2 & announce_bit) ? name : "");
  };
  run(integration::append_extra_commands(settings.pre_installation_batch, modes.extra_batch[kPreInstallBatch]),
      settings.ProductFlags.has_low(flags_low::kPreInstallBatchHidden), flags2::kLogPreInstallBatch,
      "Pre-Installation Batch");
  if (driver.upgrade)
    run(settings.upgrade_batch, settings.ProductFlags.has_high(flags_high::kUpgradeBatchHidden),
        flags2::kLogUpgradeBatch, "Upgrade Batch");
  if (driver.reinstall && (driver.same_version || !(flags2 & flags2::kReinstallBatchSameVersionOnly)))
    run(settings.reinstall_batch, settings.ProductFlags.has_high(flags_high::kReinstallBatchHidden),
        flags2::kLogReinstallBatch, "Reinstall Batch");
}

void verify_archive() { open_archive(g_progress); }

void install_files() {
  ArchiveReader reader(installation.archive, installation.head,
                       settings.ProductFlags.has_low(flags_low::kCompressedArchive), modes.silent, &g_progress);
  engine::FileLoopSeams seams;
  seams.pending_cleanup = [](const std::set<std::u16string>& written) { pending_cleanup(written); };
  engine::FileInstaller installer(engine::file_loop_lists, settings.shortcuts, g_progress, seams);
  engine::install_files(reader, installer);
}

// Step 23: the author's deletions for the installation phase. All of them
// are kept in the uninstall data, which writes those of the uninstallation.
void conditional_deletions() {
  auto& entries = uninstall::uninstall_data.conditional_deletions;
  entries.clear();
  for (const ConditionalDeletion& d : settings.conditional_deletions)
    entries.push_back({d.pattern, d.comparison, d.operand, d.flags});
  uninstall::delete_conditional_files(entries, uninstall::CleanupPhase::installation);
  status(-1, 27);
}

void pending_cleanup(const std::set<std::u16string>& written_paths) {
  uninstall::clean_pending_operations(written_paths, uninstall::CleanupPhase::installation);
}

void after_files() {
  // Component registration, shortcuts, registry entries, associations and
  // firewall exceptions come with their own parts; the uninstaller's path
  // and icon are ready before the shortcuts that point at it.
  if (settings.ProductFlags.has_low(flags_low::kRegisterUninstaller)) integration::prepare_uninstaller();
}

void completion() {
  integration::completion_hooks.show_step_text = [](const std::u16string&) {};
  integration::completion_hooks.post_progress = [](int percent) { status(-1, percent); };
  integration::run_completion(driver);
}

}  // namespace setup::steps
