// The wizard's pages at their steps of the installation run, and the
// questions of the installation folder page. Automatic runs take every
// default without showing a page; silent runs show nothing at all.
#include <windows.h>
#include <mmsystem.h>

#include "destination_checks.h"
#include "dialogs.h"
#include "driver_rules.h"
#include "driver_state.h"
#include "driver_steps.h"
#include "engine_run.h"
#include "exit_routine.h"
#include "folders_win.h"
#include "kv_core.h"
#include "localised.h"
#include "path_variables_win.h"
#include "page_ids.h"
#include "paths.h"
#include "run_state.h"
#include "size_text.h"
#include "system_error.h"
#include "system_library.h"
#include "text_ids.h"
#include "win_handles.h"
#include "wizard_windows.h"

namespace setup::steps {
namespace {

bool shows_pages() { return !run.modes.automatic && !run.modes.silent; }

// The end of the user's choices: the summary page, when the log's rules
// choose it. The completion carries out what was ticked, the log included.
bool summary_page(bool) {
  wizard::show_summary_page();
  return false;
}

// The greeting's sound: the settings' WAV data, played from memory while
// the page shows; no sound of the system's when it cannot be played.
void play_greeting_sound() {
  const std::vector<std::uint8_t>& sound = run.settings.sound;
  if (sound.empty()) return;
  using PlaySoundFn = BOOL(WINAPI*)(LPCWSTR, HMODULE, DWORD);
  if (auto play = kv::system_function_as<PlaySoundFn>(L"winmm.dll", "PlaySoundW"))
    play(reinterpret_cast<LPCWSTR>(sound.data()), nullptr, SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
}

void show_folder_message(const std::u16string& text) {
  kv::message_box(text, localised(text_id::kDestinationCaption), MB_OK | MB_ICONEXCLAMATION);
}

std::u16string creation_failure(const std::u16string& folder, DWORD error) {
  return localised(text_id::kCannotCreateFolder) + u" " + folder + u"\r\n" + kv::system_error_text(error);
}

bool plain_ascii(const std::u16string& text) {
  for (char16_t c : text)
    if (c > 0x7F) return false;
  return true;
}

DestinationFacts destination_facts(const std::u16string& folder) {
  DestinationFacts facts;
  facts.required_bytes = run.driver.required_space;
  facts.valid_path = valid_folder_path(folder);
  if (!facts.valid_path) return facts;
  const std::u16string root = drive_root_of(folder);
  const UINT type = GetDriveTypeW(kv::as_wide(root));
  facts.network = root.starts_with(u"\\\\") || type == DRIVE_REMOTE;
  facts.cd_drive = type == DRIVE_CDROM;
  facts.removable_drive = type == DRIVE_REMOVABLE;
  // An empty card or disc drive answers without the system's "no disk" box.
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
  ULARGE_INTEGER available{};
  facts.drive_ready = GetDiskFreeSpaceExW(kv::as_wide(root), &available, nullptr, nullptr) != 0;
  SetErrorMode(previous);
  const bool skip_space = (run.installation.head.ProductFlags2 & flags2::kSkipFreeSpaceCheckNonAscii) && !plain_ascii(folder);
  if (facts.drive_ready && !skip_space) facts.free_bytes = available.QuadPart;
  for (engine::PathVar programs : {engine::PathVar::ProgramsDir32, engine::PathVar::ProgramsDir64}) {
    const std::u16string root_folder = engine::path_variable(programs);
    if (!root_folder.empty() && kv::same_path(folder, root_folder)) facts.program_files_root = true;
  }
  return facts;
}

// A file can be made in the folder (and is gone again at once).
bool writable_folder(const std::u16string& folder) {
  wchar_t name[MAX_PATH] = {};
  if (!GetTempFileNameW(kv::as_wide(folder), L"tss", 0, name)) return false;
  DeleteFileW(name);
  return true;
}

// One pass of the checks of a folder chosen on the page; false (after the
// message) when the page must come back.
bool accept_destination(const std::u16string& folder) {
  const DestinationFacts facts = destination_facts(folder);
  const DestinationRules rules{run.settings.ProductFlags.has_high(flags_high::kRefuseNetworkFolders),
                               run.settings.ProductFlags.has_high(flags_high::kRefuseRemovableDrives)};
  switch (destination_refusal(facts, rules)) {
    case DestinationRefusal::none: break;
    case DestinationRefusal::invalid_path: show_folder_message(creation_failure(folder, ERROR_INVALID_NAME)); return false;
    case DestinationRefusal::drive_not_ready: show_folder_message(creation_failure(folder, ERROR_NOT_READY)); return false;
    case DestinationRefusal::network: show_folder_message(localised(text_id::kNetworkFolderRefused)); return false;
    case DestinationRefusal::program_files_root:
      show_folder_message(kv::fill_format(localised(text_id::kProgramFilesRoot), {folder}));
      return false;
    case DestinationRefusal::unsuitable_drive: show_folder_message(localised(text_id::kRemovableDriveRefused)); return false;
  }
  if (short_of_space(facts)) {
    const std::u16string question = kv::fill_format(localised(text_id::kNotEnoughSpace),
                                                    {kv::size_text(*facts.free_bytes), kv::size_text(facts.required_bytes)});
    if (!kv::question_box(question, localised(text_id::kWarningCaption))) return false;
  }
  const bool exists = kv::folder_exists(folder);
  if (run.settings.ProductFlags.has_low(flags_low::kConfirmFolder)) {
    const int text = exists ? text_id::kFolderExists : text_id::kFolderWillBeCreated;
    if (!kv::question_box(kv::fill_format(localised(text), {folder}), localised(text_id::kDestinationCaption)))
      return false;
  }
  if (!exists) {
    if (DWORD error = create_installation_folder(folder); error != ERROR_SUCCESS) {
      show_folder_message(creation_failure(folder, error));
      return false;
    }
  }
  if (!writable_folder(folder)) {
    if (!exists) remove_created_folders();
    show_folder_message(localised(text_id::kFolderNotWritable));
    return false;
  }
  return true;
}

}  // namespace

void open_wizard() {
  wizard::prepare_installation_wizard();
  engine::run.hooks.summary_page = summary_page;
  if (!run.modes.silent && !run.settings.ProductFlags.has_low(flags_low::kNoBackgroundWindow))
    wizard::show_background_window(wizard::installation_background_scene(), run.modes.minimised);
}

void language_page() {
  if (run.strings.language_count() > 1 && shows_pages() && !wizard::show_language_page())
    end_run(RunOutcome::cancelled);
  // The wizard's caption follows the chosen language.
  const std::u16string caption = localised(text_id::kWizardCaption);
  if (!caption.empty()) kv::set_program_title(caption);
  if (run.settings.DisplayTitle.empty()) wizard::retitle_background_window(caption);
}

void greeting_page() {
  if (run.modes.silent) return;
  if (!run.modes.automatic) play_greeting_sound();
  const bool shown = run.settings.ProductFlags.has_low(flags_low::kAlwaysGreet) ||
                     (!run.modes.automatic && !run.settings.ProductFlags.has_high(flags_high::kNoInteractiveGreeting));
  if (shown && !wizard::show_greeting_page(localised(text_id::kGreeting), localised(text_id::kInstallerTitle)))
    cancel();
}

void password_page() {
  if (run.settings.installation_password.empty()) return;
  // Without the page a password cannot be typed: an automatic run of an
  // installation that has one is refused rather than installed without it.
  if (!shows_pages() || !wizard::show_password_page()) cancel();
}

void licence_and_readme_pages() {
  if (!shows_pages()) return;
  const TextExpansion expand = [](const std::u16string& text) { return engine::expanded(text); };
  for (const std::string& text : page_documents(localised(text_id::kExtraLicence), run.settings.licence_texts, expand))
    if (wizard::show_licence_page(text) != IDC_FORWARD) cancel();
  for (const std::string& text : page_documents(localised(text_id::kExtraReadme), run.settings.readme_texts, expand))
    if (wizard::show_readme_page(text) != IDC_FORWARD) cancel();
}

bool must_uninstall_page() {
  // A silent run agrees: the old version's quiet uninstaller then starts
  // this installer again with the same switches.
  if (run.modes.silent) return true;
  return wizard::show_must_uninstall_page() == IDC_FORWARD;
}

void destination_page() {
  for (;;) {
    if (!wizard::show_destination_page(run.driver.required_space)) cancel();
    std::u16string& folder = engine::run.paths.install_dir;
    folder = kv::without_trailing_separators(kv::trim_white_space(folder));
    if (accept_destination(folder)) return;
  }
}

void start_menu_page() {
  if (!shows_pages() || !run.settings.ProductFlags.has_high(flags_high::kStartMenuPage)) return;
  if (engine::run.paths.portable && (run.installation.head.ProductFlags2 & flags2::kPortableNoShortcuts)) return;
  if (!wizard::show_start_menu_page()) cancel();
  std::u16string& group = engine::run.paths.start_menu_folder;
  group = kv::without_trailing_separators(kv::trim_white_space(group));
}

void open_progress_window() {
  if (!run.modes.silent) wizard::open_progress_dialog(wizard::installation_progress_options());
}

void cancel() {
  remove_created_folders();
  if (!run.modes.automatic)
    kv::message_box(localised(text_id::kInstallationCanceled), localised(text_id::kCanceledCaption),
                    MB_OK | MB_ICONEXCLAMATION);
  end_run(RunOutcome::cancelled);
}

DWORD create_installation_folder(const std::u16string& folder) {
  // The levels that are missing now, deepest first: only they go again.
  std::vector<std::u16string> missing;
  for (std::u16string level = folder; kv::is_absolute_path(level) && !kv::is_drive_root_or_shorter(level) &&
                                      !kv::path_exists(level);
       level = kv::parent_folder(level))
    missing.push_back(level);
  DWORD error = kv::create_folder_chain(folder);
  auto& created = run.driver.created_folders;
  created.insert(created.begin(), missing.begin(), missing.end());
  return error;
}

void remove_created_folders() {
  // Deepest first; one that holds anything now stays, and so do its parents.
  for (const std::u16string& folder : run.driver.created_folders)
    if (kv::remove_empty_folder(folder) != ERROR_SUCCESS) break;
  run.driver.created_folders.clear();
}

}  // namespace setup::steps
