#include "named_flags.h"

namespace builder {
namespace {

using enum FlagWord;

// section, key, word, bit, default, the value that sets the bit
constexpr NamedFlag kTable[] = {
    {"installation", "compress", low, setup::flags_low::kCompressedArchive, true, true},
    {"installation", "encipher", flags2, setup::flags2::kEnciphered, false, true},
    {"installation", "check_stub", high, setup::flags_high::kCheckStubChecksum, true, true},
    {"installation", "single_instance", low, setup::flags_low::kSingleInstance, false, true},
    {"installation", "restore_point", flags2, setup::flags2::kRestorePoint, false, true},
    {"installation", "grant_folder_rights", high, setup::flags_high::kGrantFolderRights, false, true},
    {"installation", "grant_shared_folder_rights", high, setup::flags_high::kGrantSharedFolderRights, false, true},
    {"installation", "skip_free_space_check_for_non_ascii_folders", flags2, setup::flags2::kSkipFreeSpaceCheckNonAscii, false, true},
    {"installation", "remove_install_path_value", flags2, setup::flags2::kRemoveInstallPathValue, false, true},
    {"installation", "verify_writes", low, setup::flags_low::kVerifyWrites, false, true},
    {"installation", "overwrite_protected_files", low, setup::flags_low::kOverwriteProtected, false, true},
    {"installation", "schedule_locked_new_files", low, setup::flags_low::kScheduleNewFiles, false, true},

    {"wizard", "styled_greeting_box", high, setup::flags_high::kStyledGreetingBox, false, true},
    {"wizard", "destination_page", low, setup::flags_low::kDestinationPage, true, true},
    {"wizard", "start_menu_page", high, setup::flags_high::kStartMenuPage, true, true},
    {"wizard", "confirm_folder", low, setup::flags_low::kConfirmFolder, false, true},
    {"wizard", "refuse_network_folders", high, setup::flags_high::kRefuseNetworkFolders, false, true},
    {"wizard", "refuse_removable_drives", high, setup::flags_high::kRefuseRemovableDrives, false, true},
    {"wizard", "show_file_paths", high, setup::flags_high::kNoPathsInStepText, true, false},
    {"wizard", "progress_cancel", low, setup::flags_low::kNoProgressCancel, true, false},
    {"wizard", "button_icons", flags2, setup::flags2::kButtonIcons, false, true},

    {"background", "window", low, setup::flags_low::kNoBackgroundWindow, true, false},
    {"background", "progress_on_whole_screen", high, setup::flags_high::kProgressOnWholeScreen, false, true},
    {"background", "keep_title_on_language_change", high, setup::flags_high::kKeepTitleOnLanguageChange, false, true},

    {"existing", "question", low, setup::flags_low::kNoExistingInstallQuestion, true, false},
    {"existing", "compare_versions", high, setup::flags_high::kCompareVersions, true, true},

    {"summary", "start_application_ticked", flags2, setup::flags2::kStartApplicationTicked, false, true},
    {"summary", "open_folder_ticked", flags2, setup::flags2::kOpenFolderTicked, false, true},
    {"summary", "open_document_ticked", flags2, setup::flags2::kOpenDocumentTicked, false, true},
    {"summary", "start_application_as_process", flags2, setup::flags2::kStartApplicationAsProcess, false, true},

    {"log", "keep", low, setup::flags_low::kKeepInstallLog, true, true},
    {"log", "detailed", low, setup::flags_low::kDetailedLog, false, true},
    {"log", "offer_on_summary", high, setup::flags_high::kOfferLogOnSummary, false, true},
    {"log", "start_menu_shortcut", high, setup::flags_high::kStartMenuLogShortcut, false, true},
    {"log", "keep_at_uninstall", high, setup::flags_high::kKeepInstallLogAtUninstall, false, true},

    {"restart", "required", low, setup::flags_low::kRebootRequired, false, true},
    {"restart", "always_ask", high, setup::flags_high::kAlwaysAskRestart, false, true},
    {"restart", "marker", high, setup::flags_high::kLeaveRebootMarker, false, true},

    {"uninstall", "enabled", low, setup::flags_low::kRegisterUninstaller, true, true},
    {"uninstall", "start_menu_shortcut", low, setup::flags_low::kStartMenuUninstaller, false, true},
    {"uninstall", "desktop_shortcut", high, setup::flags_high::kDesktopUninstaller, false, true},
    {"uninstall", "folder_shortcut", high, setup::flags_high::kUninstallerInUninstallFolder, false, true},
    {"uninstall", "automatic", low, setup::flags_low::kAutomaticUninstall, false, true},
    {"uninstall", "delete_installation_folder", low, setup::flags_low::kDeleteInstallationFolder, false, true},
    {"uninstall", "show_errors_when_automatic", high, setup::flags_high::kUninstallErrorsWhenAutomatic, false, true},
    {"uninstall", "progress_window", high, setup::flags_high::kUninstallProgressWindow, true, true},
    {"uninstall", "completion_message", flags2, setup::flags2::kUninstallCompletionMessage, true, true},
    {"uninstall", "restart", high, setup::flags_high::kUninstallRestart, false, true},
    {"uninstall", "strip_installation_data", flags2, setup::flags2::kUninstallerWithoutSetupSection, true, true},

    {"documents", "write_readme_files", high, setup::flags_high::kWriteReadmeFiles, false, true},
    {"documents", "write_licence_files", high, setup::flags_high::kWriteLicenceFiles, false, true},

    {"portable", "start_menu", flags2, setup::flags2::kPortableNoShortcuts, true, false},
    {"portable", "registry", flags2, setup::flags2::kPortableNoRegistry, true, false},
    {"portable", "associations", flags2, setup::flags2::kPortableNoAssociations, true, false},
    {"portable", "firewall", flags2, setup::flags2::kPortableNoFirewall, true, false},

    {"desktop_folder", "product_name", high, setup::flags_high::kDesktopFolderIsProductName, false, true},
};

}  // namespace

const std::span<const NamedFlag> kNamedFlags{kTable};

void FlagWords::set(FlagWord word, std::uint32_t bit, bool on) {
  std::uint32_t& w = word == FlagWord::low ? product.low : word == FlagWord::high ? product.high : flags2;
  w = on ? (w | bit) : (w & ~bit);
}

bool FlagWords::has(FlagWord word, std::uint32_t bit) const {
  std::uint32_t w = word == FlagWord::low ? product.low : word == FlagWord::high ? product.high : flags2;
  return (w & bit) != 0;
}

FlagWords default_flag_words() {
  FlagWords words;
  for (const NamedFlag& f : kNamedFlags) words.apply(f, f.default_value);
  return words;
}

}  // namespace builder
