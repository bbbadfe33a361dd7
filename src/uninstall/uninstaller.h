#pragma once
// The uninstall run: finds the product's uninstall key, reads back what the
// installation recorded (the key's values and Uninstall.DAT), asks for
// confirmation and undoes everything in a fixed order. Failures are
// collected in the error report and shown once at the end; what could not be
// removed stays in a rewritten Uninstall.DAT, so that the user can run the
// uninstaller again.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "background_window.h"

namespace uninstall {

// `ProductFlags` bits the uninstaller reads (low word unless named high).
namespace uninstall_flags {
inline constexpr std::uint32_t kAskBeforeRemovingFonts = 0x00000010;
inline constexpr std::uint32_t kAutomatic = 0x00000200;
inline constexpr std::uint32_t kDeleteInstallationFolder = 0x00000400;
inline constexpr std::uint32_t kAddToPath = 0x00001000;
inline constexpr std::uint32_t kBackgroundBitmap = 0x00008000;
inline constexpr std::uint32_t kAskBeforeRemovingSharedFiles = 0x00020000;
inline constexpr std::uint32_t kFirstBatchHidden = 0x04000000;
inline constexpr std::uint32_t kSecondBatchHidden = 0x08000000;
inline constexpr std::uint32_t kNoBackgroundWindow = 0x20000000;
inline constexpr std::uint32_t kHighErrorBoxWhenAutomatic = 0x00000008;
inline constexpr std::uint32_t kHighRestart = 0x00002000;
inline constexpr std::uint32_t kHighNoPathsInStepText = 0x00020000;
inline constexpr std::uint32_t kHighProgressWindow = 0x00080000;
inline constexpr std::uint32_t kHighKeepInstallLog = 0x00400000;
// `ProductFlags2`.
inline constexpr std::uint32_t kFlags2CompletionMessage = 0x00040000;
}  // namespace uninstall_flags

// What the run reads from the uninstall key, and what it collects.
struct UninstallRun {
  std::u16string product_name;  // the uninstall key's name
  std::u16string display_name;  // DisplayName, else the product name
  std::u16string install_folder;
  std::uint32_t flags_low = 0;
  std::uint32_t flags_high = 0;
  std::uint32_t flags2 = 0;
  bool product_64bit = false;  // Bitness 1
  std::u16string uninstall_subdir;
  std::u16string uninstall_folder;
  wizard::BackgroundLook display;

  std::u16string add_to_path_subfolder;
  std::string product_fonts;
  std::uint32_t shortcut_mode = 0;  // 1: shortcuts for all users
  std::string notify_url;
  std::u16string desktop_folder;  // joined with the desktop of the shortcut mode
  std::string support_offer;
  std::u16string shared_path;
  std::u16string product_start_menu;
  std::string uninstall_batch1;
  std::string uninstall_batch2;
  std::string shared_files;
  std::u16string product_registry;

  // Every file this run deleted, ASCII capitals lowered.
  std::set<std::u16string> deleted_files;
  // The directory records of the removal list.
  std::vector<std::u16string> directories;

  bool has_low(std::uint32_t bit) const { return (flags_low & bit) != 0; }
  bool has_high(std::uint32_t bit) const { return (flags_high & bit) != 0; }
};

// The run of this process.
extern UninstallRun uninstall_run;

// Windows only.
//
// Uninstalls the named product. True when everything was removed without
// errors; then the uninstall key is gone and the caller sends the uninstall
// notification and starts the self-removal. A No to the confirmation ends
// the process with exit code 1.
bool uninstall(const std::u16string& product_name);

}  // namespace uninstall
