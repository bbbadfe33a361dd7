#include "driver_steps.h"

#include <windows.h>

#include "archive.h"
#include "component_registration.h"
#include "file_associations.h"
#include "firewall_exceptions.h"
#include "registry_entries.h"
#include "shortcuts.h"
#include "close_applications.h"
#include "close_rules.h"
#include "corrupt_installer.h"
#include "dialogs.h"
#include "driver_state.h"
#include "engine_run.h"
#include "exit_routine.h"
#include "batch_file.h"
#include "batch_runner.h"
#include "completion.h"
#include "file_install.h"
#include "firewall_exceptions.h"
#include "folder_rights.h"
#include "rollback_win.h"
#include "run_state.h"
#include "text_ids.h"
#include "uninstaller_placement.h"
#include "version_compare.h"
#include "install_log.h"
#include "install_log_win.h"
#include "installation_data.h"
#include "kv_core.h"
#include "localised.h"
#include "notification_requests.h"
#include "path_variables_win.h"
#include "restore_point.h"
#include "run_modes.h"
#include "run_status.h"
#include "conditional_deletion.h"
#include "pending_cleanup.h"
#include "uninstall_data.h"
#include "uninstall_key.h"
#include "win_handles.h"

namespace setup::steps {
namespace {

void clean_pending_operations(const std::set<std::u16string>& written_paths) {
  uninstall::clean_pending_operations(written_paths, uninstall::CleanupPhase::installation);
}

}  // namespace

int compare_versions(std::u16string_view a, std::u16string_view b) { return engine::compare_versions(a, b); }

void prepare_texts() {
  run.settings.header_text = expand_placeholders(run.settings.header_text, run.placeholders);
  uninstall::uninstall_data.header_text = run.settings.header_text;
}

void keep_uninstall_texts() {
  uninstall::capture_uninstall_texts(uninstall::uninstall_data, [](int id) { return localised(id); });
}

void close_applications() {
  const std::vector<CloseRule>& rules = run.settings.close_rules;
  if (rules.empty()) return;
  CloseTexts texts{localised(text_id::kCloseProgramQuestion), localised(text_id::kInstallerTitle)};
  if (!setup::close_applications(rules, CloseRule::kBeforeInstalling, texts)) cancel();
  // The uninstaller keeps the rules for its own passes.
  uninstall::uninstall_data.close_rules = close_rules_for_uninstaller(rules);
  resume_after_closing();
}

bool on_removable_drive(const std::u16string& folder) {
  if (folder.size() < 2 || folder[1] != u':') return false;
  std::u16string root = folder.substr(0, 2) + u"\\";
  return GetDriveTypeW(kv::as_wide(root)) == DRIVE_REMOVABLE;
}

void status(int text_number, int percent) {
  if (text_number >= 0) show_step(text_number);
  if (percent >= 0) post_progress(percent);
}

void begin_installation_proper() {
  engine::LogRunSettings& log = engine::run.log.settings;
  log.product_flags_low = run.settings.ProductFlags.low;
  log.product_flags_high = run.settings.ProductFlags.high;
  log.summary_has_choices =
      !run.settings.launch_application.empty() || !run.settings.run_program.empty() || !run.settings.open_document.empty();
  open_progress_window();
  engine::open_run_log();
  integration::send_notification(run.settings.copy_start_address);
}

void restore_point() {
  if (!(run.installation.head.ProductFlags2 & flags2::kRestorePoint)) return;
  status(text_id::kCreatingRestorePoint, -1);
  engine::log_text("Creating restore point...");
  if (auto sequence = kv::begin_restore_point(run.placeholders.product)) {
    run.driver.restore_point_sequence = *sequence;
    engine::log_text("OK\r\n");
  } else {
    engine::log_text("FAILED\r\n");
    run.installation.head.ProductFlags2 &= ~flags2::kRestorePoint;
  }
}

void grant_rights(const std::u16string& folder) { integration::grant_folder_rights(folder); }

// Step 21: the batches before the files, each announced in the log by name
// only when the settings ask for it.
void run_installation_batches() {
  const std::uint32_t flags2 = run.installation.head.ProductFlags2;
  auto run_one = [&](const std::string& commands, bool hidden, std::uint32_t announce_bit, const char* name) {
    if (commands.empty()) return;
    engine::journal.batch_ran = true;
    integration::run_batch(commands, hidden, (flags2 & announce_bit) ? name : "");
  };
  run_one(integration::append_extra_commands(run.settings.pre_installation_batch, run.modes.extra_batch[kPreInstallBatch]),
      run.settings.ProductFlags.has_low(flags_low::kPreInstallBatchHidden), flags2::kLogPreInstallBatch,
      "Pre-Installation Batch");
  if (run.driver.upgrade)
    run_one(run.settings.upgrade_batch, run.settings.ProductFlags.has_high(flags_high::kUpgradeBatchHidden),
        flags2::kLogUpgradeBatch, "Upgrade Batch");
  if (run.driver.reinstall && (run.driver.same_version || !(flags2 & flags2::kReinstallBatchSameVersionOnly)))
    run_one(run.settings.reinstall_batch, run.settings.ProductFlags.has_high(flags_high::kReinstallBatchHidden),
        flags2::kLogReinstallBatch, "Reinstall Batch");
}

void verify_archive() {
  RunStatusProgress progress;
  open_archive(progress);
}

void install_files() {
  RunStatusProgress progress;
  ArchiveReader reader(run.installation.archive, run.installation.head,
                       run.settings.ProductFlags.has_low(flags_low::kCompressedArchive), run.modes.silent, &progress);
  engine::run.hooks.clean_pending_operations = clean_pending_operations;
  engine::FileInstaller installer(engine::run.lists, run.settings.shortcuts);
  engine::install_files(reader, installer);
}

// Step 23: the author's deletions for the installation phase. All of them
// are kept in the uninstall data, which writes those of the uninstallation.
void conditional_deletions() {
  auto& entries = uninstall::uninstall_data.conditional_deletions;
  entries = run.settings.conditional_deletions;
  uninstall::delete_conditional_files(entries, uninstall::CleanupPhase::installation);
  status(-1, 27);
}

void after_files() {
  engine::register_collected_components(engine::run.lists);
  // The uninstaller's path and icon are ready before the shortcuts that
  // point at it.
  if (run.settings.ProductFlags.has_low(flags_low::kRegisterUninstaller)) integration::prepare_uninstaller();
  integration::create_shortcuts();
  integration::apply_registry_entries();
  integration::register_file_associations();
  integration::install_firewall_exceptions();
}

void completion() {
  integration::run_completion(run.driver);
}

}  // namespace setup::steps
