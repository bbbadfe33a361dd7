#pragma once
// Self-removal: a running program cannot delete its own file, so after a
// successful uninstall run the uninstaller writes delunins.bat into the
// temporary folder, starts it hidden and ends at once. The batch waits until
// the uninstaller's file can be deleted, deletes it, removes the uninstall
// folder and the installation folder when they are empty ("rd" without
// options removes only empty folders) and finally deletes itself.
#include <string>
#include <string_view>
#include <vector>

#include "os_version.h"

namespace uninstall {

inline constexpr char16_t kSelfRemovalBatchName[] = u"delunins.bat";
inline constexpr int kSelfRemovalFolderLimit = 50;

// The batch text, lines ending in CR LF: the wait-and-delete loop, a pause of
// three seconds, "rd" for the uninstall subfolder and each of its parents
// inside the installation folder (deepest first, at most 50), "rd" for the
// installation folder, "rd" for each of `parent_folders` (the folders above
// it that the installation made, deepest first) and the batch deleting
// itself.
std::u16string self_removal_batch_text(std::u16string_view own_path, std::u16string_view install_folder,
                                       std::u16string_view uninstall_subdir, std::u16string_view batch_path,
                                       const std::vector<std::u16string>& parent_folders = {});

// The recorded directories that lie above the installation folder (the
// levels the installer made for it, "Publisher\Product"), deepest first.
std::vector<std::u16string> installation_parents(const std::vector<std::u16string>& directories,
                                                 std::u16string_view install_folder);

// Systems before Windows 7 cannot run a UTF-8 batch.
bool batch_may_be_utf8(const kv::OsVersion& os);

// The file's bytes: code page 1252 ("?" for what it lacks) behind
// "@chcp 1252 >nul" when the text is ASCII or the system cannot run UTF-8,
// else UTF-8 behind "@chcp 65001 >nul".
std::string encode_self_removal_batch(std::u16string_view text, bool utf8_allowed);

// Windows only.
//
// Writes the batch to the temporary folder (the system's; else "temp" in the
// Windows folder; else "c:\temp", created) and starts it hidden through the
// command interpreter with its short path. The caller ends the process
// right afterwards. Failures are silent; false when nothing was started.
bool remove_self(const std::u16string& install_folder, const std::u16string& uninstall_subdir,
                 const std::vector<std::u16string>& parent_folders);

// The same for a given file in place of the running executable.
bool start_self_removal(const std::u16string& own_path, const std::u16string& install_folder,
                        const std::u16string& uninstall_subdir, const std::vector<std::u16string>& parent_folders = {});

}  // namespace uninstall
