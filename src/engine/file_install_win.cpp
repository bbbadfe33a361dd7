#include <windows.h>

#include "component_registration.h"
#include "corrupt_installer.h"
#include "engine_run.h"
#include "file_destination.h"
#include "file_install.h"
#include "file_system_win.h"
#include "folders_win.h"
#include "fonts.h"
#include "install_log.h"
#include "installation_data.h"
#include "localised.h"
#include "overwrite_decision.h"
#include "path_variables_resolve.h"
#include "path_variables_win.h"
#include "paths.h"
#include "replacing_writer.h"
#include "rollback_win.h"
#include "run_status.h"
#include "run_state.h"
#include "shared_counts.h"
#include "text.h"
#include "text_ids.h"
#include "uninstall_data.h"
#include "version_compare.h"
#include "win_handles.h"

namespace engine {
namespace {

constexpr int kUnknownKindError = 110;
// Entries stored under this name never show their path.
constexpr char kHiddenEntryName[] = "b/0@+";

bool has_flag(const setup::FileEntry& entry, std::uint32_t bit) { return (entry.flags & bit) != 0; }

bool is_reference_counted(std::uint32_t kind, bool portable) {
  return kind == file_kind::kSystem || kind == file_kind::kComServer || kind == file_kind::kTypeLibrary ||
         (kind == file_kind::kShared && !portable);
}

char shared_file_marker(const setup::FileEntry& entry) {
  if (has_flag(entry, entry_flags::kNeverUninstall)) return ' ';
  if (entry.kind == file_kind::kComServer) return '^';
  if (entry.kind == file_kind::kTypeLibrary) return '\xA9';
  return 0;
}

ExistingFile examine(const std::u16string& path, const setup::FileEntry& entry) {
  ExistingFile existing;
  WIN32_FILE_ATTRIBUTE_DATA data;
  existing.exists = GetFileAttributesExW(kv::as_wide(path), GetFileExInfoStandard, &data);
  if (!existing.exists) return existing;
  existing.time = entry_time_of(data.ftLastWriteTime);
  std::optional<FileKindRule> rule = file_kind_rule(entry.kind);
  if (rule && rule->checks == KindChecks::version_and_date && !entry.label.empty())
    if (std::optional<std::u16string> version = file_version_text(path))
      existing.version = clean_file_version(*version);
  return existing;
}

setup::ShortcutEntry shortcut_for(const setup::FileEntry& entry, const std::u16string& destination) {
  setup::ShortcutEntry shortcut;
  shortcut.on_desktop = has_flag(entry, entry_flags::kDesktopShortcut);
  shortcut.in_start_menu = has_flag(entry, entry_flags::kStartMenuShortcut);
  shortcut.in_startup = entry.kind == file_kind::kStartup;
  shortcut.keep_at_uninstall = has_flag(entry, entry_flags::kNeverUninstall);
  shortcut.target = destination;
  shortcut.link_name = kv::utf8_to_utf16(entry.label);
  shortcut.icon = entry.extra_1;
  shortcut.arguments = kv::cp1252_to_utf16(entry.parameter_text);
  shortcut.working_folder = entry.extra_2;
  return shortcut;
}

}  // namespace

FileInstaller::FileInstaller(FileLoopLists& lists, std::vector<setup::ShortcutEntry>& shortcuts)
    : lists_(lists), shortcuts_(shortcuts) {}

bool FileInstaller::create_destination_folder(const setup::FileEntry& entry, const std::u16string& destination) {
  std::u16string folder = kv::parent_folder(destination);
  // The driver made and recorded the installation folder itself.
  if (folder.empty() ||
      kv::iequals(kv::without_trailing_separators(folder), kv::without_trailing_separators(expanded(u"%InstallDir%"))))
    return true;
  bool file_in_the_way = false;
  if (DWORD error = create_journalled_folder(folder, &file_in_the_way); error != ERROR_SUCCESS) {
    std::u16string reason = file_in_the_way ? u"Cannot create directory because there is a file with the same name."
                                            : system_error_text(error);
    error_report_append(setup::localised(setup::text_id::kCannotCreateFolder) + u" " + folder + u"\r\n" + reason +
                        u"\r\n\r\nNot installed: " + destination + u"\r\n\r\n");
    return false;
  }
  const bool portable = run.paths.portable;
  if (!has_flag(entry, entry_flags::kNeverUninstall) &&
      (records_file(entry.kind, portable) || entry.kind == file_kind::kShared))
    uninstall::add_to_removal_list_w(uninstall::uninstall_data, folder, uninstall::RemovalKind::directory);
  return true;
}

void FileInstaller::install(const setup::FileEntry& entry) {
  if (!file_kind_rule(entry.kind)) setup::corrupt_installer(kUnknownKindError);
  const setup::Settings& settings = setup::run.settings;
  const bool portable = run.paths.portable;

  DestinationInput input;
  input.target_name = entry.target_name;
  input.wide_name = entry.wide_name;
  input.kind = entry.kind;
  input.flags = entry.flags;
  input.portable_shared_folder = portable && !settings.portable_shared_subfolder.empty();
  const FileDestination place = *compute_destination(input, expanded);
  const std::u16string& destination = place.path;
  const std::string marked = kv::to_marked(destination);

  if (settings.ProductFlags.has_high(setup::flags_high::kNoPathsInStepText) || entry.target_name == kHiddenEntryName)
    setup::show_step(setup::text_id::kInstallingCaption);
  else
    setup::show_step_text(destination);

  // Before the decision: a COM server that is up to date is registered and
  // counted all the same.
  if (entry.kind == file_kind::kComServer) lists_.com_servers.push_back(marked);
  if (entry.kind == file_kind::kTypeLibrary) lists_.type_libraries.push_back(marked);
  if (is_reference_counted(entry.kind, portable))
    lists_.reference_counts.push_back({marked, shared_file_marker(entry)});

  OverwriteFacts facts;
  facts.kind = entry.kind;
  facts.flags = entry.flags;
  facts.portable = portable;
  facts.destination = destination;
  const std::u16string entry_version = kv::utf8_to_utf16(entry.label);
  facts.entry_version = entry_version;
  facts.entry_time = entry.time;
  facts.existing = examine(destination, entry);
  const OverwriteDecision decision = decide_overwrite(facts);
  if (!decision.log.empty()) log_wide(decision.log);
  if (!decision.install) {
    if (decision.record_existing)
      uninstall::add_to_removal_list_w(uninstall::uninstall_data, destination, uninstall::RemovalKind::file);
    return;
  }

  if (entry.kind == file_kind::kStartup ||
      (entry.kind == file_kind::kPlain &&
       has_flag(entry, entry_flags::kDesktopShortcut | entry_flags::kStartMenuShortcut)))
    shortcuts_.push_back(shortcut_for(entry, destination));

  if (place.create_folder && !create_destination_folder(entry, destination)) return;

  // Recorded before the write: a file that ends up half written or
  // scheduled for the restart is still the product's.
  if (!has_flag(entry, entry_flags::kNeverUninstall) && records_file(entry.kind, portable))
    uninstall::add_to_removal_list_w(uninstall::uninstall_data, destination, uninstall::RemovalKind::file);

  FileWriteRequest request;
  request.destination = destination;
  request.data = entry.data;
  request.time = entry.time;
  request.attributes = entry.attributes;
  request.existed = facts.existing.exists;
  const FileWriteResult written = write_replacing_file(request);
  if (written.written && settings.ProductFlags.has_low(setup::flags_low::kDetailedLog))
    log_wide_pieces({kv::file_name_of(place.name), u" >>> ", destination, u"\r\n"});
  // An applet's registration names its final path, so it runs for a file
  // that replaces the old one at the next restart too.
  if (!written.written && !(written.scheduled && entry.kind == file_kind::kApplet)) return;

  switch (entry.kind) {
    case file_kind::kFont: {
      InstalledFont font{kv::utf8_to_utf16(entry.label), kv::from_marked(entry.target_name)};
      setup::show_step_text(kv::replace_all(setup::localised(setup::text_id::kRegistering), u"<file>", font.file_name));
      register_font(font);
      lists_.fonts.push_back(std::move(font));
      lists_.fonts_changed = true;
      break;
    }
    case file_kind::kDriverInf:
      lists_.driver_infs.push_back(marked);
      break;
    case file_kind::kPackage:
      install_msi_package(entry, destination);
      break;
    case file_kind::kApplet:
      register_control_panel_applet(entry, destination);
      break;
    default:
      break;
  }

  if (written.written) lists_.written_paths.insert(path_set_key(destination));
}

void FileInstaller::finish() {
  setup::post_progress(91);
  setup::show_step(setup::text_id::kInstallingCaption);
  if (lists_.fonts_changed) broadcast_font_change();
  if (run.hooks.clean_pending_operations) run.hooks.clean_pending_operations(lists_.written_paths);
  setup::post_progress(92);
  if (setup::run.settings.ProductFlags.has_low(setup::flags_low::kRegisterUninstaller) && !run.paths.portable)
    increment_shared_counts(lists_.reference_counts);
  setup::post_progress(93);
}

void install_files(setup::ArchiveReader& reader, FileInstaller& installer) {
  setup::FileEntry entry;
  while (reader.index() < reader.entry_count()) {
    if (int error = reader.next(entry)) setup::corrupt_installer(error);
    installer.install(entry);
  }
  if (int error = reader.finish()) setup::corrupt_installer(error);
  installer.finish();
}

}  // namespace engine
