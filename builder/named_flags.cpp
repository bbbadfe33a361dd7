#include "named_flags.h"

namespace builder {
namespace {

using enum FlagWord;

// section, key, word, bit, default, the value that sets the bit
constexpr NamedFlag kTable[] = {
    {"installation", "compress", low, 0x00000020, true, true},
    {"installation", "encipher", flags2, 0x00001000, false, true},
    {"installation", "check_stub", high, 0x00000001, true, true},
    {"installation", "single_instance", low, 0x00000100, false, true},
    {"installation", "restore_point", flags2, 0x00000002, false, true},
    {"installation", "grant_folder_rights", high, 0x00040000, false, true},
    {"installation", "grant_shared_folder_rights", high, 0x40000000, false, true},
    {"installation", "skip_free_space_check_for_non_ascii_folders", flags2, 0x00010000, false, true},
    {"installation", "remove_install_path_value", flags2, 0x00002000, false, true},
    {"installation", "verify_writes", low, 0x00040000, false, true},
    {"installation", "overwrite_protected_files", low, 0x00080000, false, true},
    {"installation", "schedule_locked_new_files", low, 0x00000800, false, true},

    {"wizard", "styled_greeting_box", high, 0x00100000, false, true},
    {"wizard", "destination_page", low, 0x00000080, true, true},
    {"wizard", "start_menu_page", high, 0x00000004, true, true},
    {"wizard", "confirm_folder", low, 0x80000000, false, true},
    {"wizard", "refuse_network_folders", high, 0x00000020, false, true},
    {"wizard", "refuse_removable_drives", high, 0x00800000, false, true},
    {"wizard", "show_file_paths", high, 0x00020000, true, false},
    {"wizard", "progress_cancel", low, 0x00200000, true, false},
    {"wizard", "button_icons", flags2, 0x00000400, false, true},

    {"background", "window", low, 0x20000000, true, false},
    {"background", "progress_on_whole_screen", high, 0x00000100, false, true},
    {"background", "keep_title_on_language_change", high, 0x00000400, false, true},

    {"existing", "question", low, 0x10000000, true, false},
    {"existing", "compare_versions", high, 0x00000010, true, true},

    {"summary", "start_application_ticked", flags2, 0x00000004, false, true},
    {"summary", "open_folder_ticked", flags2, 0x00000008, false, true},
    {"summary", "open_document_ticked", flags2, 0x00000010, false, true},
    {"summary", "start_application_as_process", flags2, 0x00100000, false, true},

    {"log", "keep", low, 0x00000040, true, true},
    {"log", "detailed", low, 0x00100000, false, true},
    {"log", "offer_on_summary", high, 0x02000000, false, true},
    {"log", "start_menu_shortcut", high, 0x08000000, false, true},
    {"log", "keep_at_uninstall", high, 0x00400000, false, true},

    {"restart", "required", low, 0x00004000, false, true},
    {"restart", "always_ask", high, 0x00000200, false, true},
    {"restart", "marker", high, 0x00200000, false, true},

    {"uninstall", "enabled", low, 0x00000004, true, true},
    {"uninstall", "start_menu_shortcut", low, 0x00000002, false, true},
    {"uninstall", "desktop_shortcut", high, 0x00000002, false, true},
    {"uninstall", "folder_shortcut", high, 0x00000040, false, true},
    {"uninstall", "automatic", low, 0x00000200, false, true},
    {"uninstall", "delete_installation_folder", low, 0x00000400, false, true},
    {"uninstall", "show_errors_when_automatic", high, 0x00000008, false, true},
    {"uninstall", "progress_window", high, 0x00080000, true, true},
    {"uninstall", "completion_message", flags2, 0x00040000, true, true},
    {"uninstall", "restart", high, 0x00002000, false, true},
    {"uninstall", "strip_installation_data", flags2, 0x00000020, true, true},

    {"documents", "write_readme_files", high, 0x00004000, false, true},
    {"documents", "write_licence_files", high, 0x00008000, false, true},

    {"portable", "start_menu", flags2, 0x00000800, true, false},
    {"portable", "registry", flags2, 0x00008000, true, false},
    {"portable", "associations", flags2, 0x00020000, true, false},
    {"portable", "firewall", flags2, 0x00080000, true, false},

    {"desktop_folder", "product_name", high, 0x04000000, false, true},
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
