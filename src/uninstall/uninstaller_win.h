#pragma once
// Shared by the uninstaller's Windows files: the steps of the removal, the
// run's step clock and questions, and the file-system and registry helpers
// they use.
#include <windows.h>

#include <functional>
#include <string>

#include "system_error.h"
#include <vector>

#include "registry.h"
#include "registry_items.h"
#include "uninstall_data.h"
#include "uninstaller.h"

namespace uninstall::detail {

// The run's texts and questions.
const std::u16string& text(int id);
// A Yes/No question with the question icon; true for Yes.
bool ask(const std::u16string& question, const std::u16string& caption);
bool automatic();

// A step start shows its text (when not 0) and starts the step's clock; a
// step end waits, pumping messages, until 700 ms have passed since its
// start (never in automatic mode).
void step_start(int text_id);
void step_end();
void restart_step_clock();
void progress(int percent);
void show_path(const std::u16string& path);  // unless paths stay out of the step text

// File system.
using kv::system_error_text;
// A folder with everything in it; links inside are removed, not followed.
void delete_folder_tree(const std::u16string& folder);
// The folders a whole-folder deletion never touches.
std::vector<std::u16string> protected_folders();
// Those and the shell's own folders (the desktops, the start menus, the
// startup folders, ...), which an empty-folder removal never takes either.
std::vector<std::u16string> system_folders();

void delete_key_if_empty(HKEY root, const std::u16string& key, kv::RegView view);
// The product's registry view: the 64-bit one for a 64-bit product.
kv::RegView product_view();

// The removal's steps, in the order the run takes them.
void restore_file_associations();
void remove_fonts(HKEY uninstall_key);
void remove_shared_files(HKEY uninstall_key);
void unpin_taskbar_items();
void remove_msi_packages();
void walk_removal_list();
void remove_directories();
void remove_start_menu_folder();
void remove_product_registry(HKEY uninstall_key);
void remove_registry_items();
void remove_firewall_exceptions();
void remove_driver_packages();
void delete_installation_folder();

}  // namespace uninstall::detail
