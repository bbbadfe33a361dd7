#pragma once
// The settings' flag words and every bit with a fixed meaning: `ProductFlags`
// (told as a low and a high 32-bit word) and `ProductFlags2`, the container
// head's word. The uninstall key keeps both, so the uninstaller reads the
// same bits. Every part of the program names its bits here.
#include <cstdint>

namespace setup {

// `ProductFlags`: 64 behaviour bits, told as a low and a high 32-bit word.
struct ProductFlagWords {
  std::uint32_t low = 0;
  std::uint32_t high = 0;

  bool has_low(std::uint32_t bit) const { return (low & bit) != 0; }
  bool has_high(std::uint32_t bit) const { return (high & bit) != 0; }
  std::uint64_t value() const { return (std::uint64_t(high) << 32) | low; }
  // The uninstall key keeps the flags as a signed 64-bit decimal number.
  std::int64_t as_signed() const { return static_cast<std::int64_t>(value()); }
  bool operator==(const ProductFlagWords&) const = default;
};

// `ProductFlags` low-word bits with a fixed meaning.
namespace flags_low {
inline constexpr std::uint32_t kMustUninstallOlder = 0x00000001;      // with the must-uninstall version
inline constexpr std::uint32_t kStartMenuUninstaller = 0x00000002;    // start-menu shortcut to the uninstaller
inline constexpr std::uint32_t kRegisterUninstaller = 0x00000004;     // also: detect an existing installation
inline constexpr std::uint32_t kAlwaysGreet = 0x00000008;             // greeting even in automatic mode
inline constexpr std::uint32_t kAskBeforeRemovingFonts = 0x00000010;  // the uninstaller asks first
inline constexpr std::uint32_t kCompressedArchive = 0x00000020;       // archive chunks are zlib streams
inline constexpr std::uint32_t kKeepInstallLog = 0x00000040;          // Install.log is written
inline constexpr std::uint32_t kDestinationPage = 0x00000080;
inline constexpr std::uint32_t kSingleInstance = 0x00000100;
inline constexpr std::uint32_t kAutomaticUninstall = 0x00000200;      // the uninstaller asks nothing
inline constexpr std::uint32_t kDeleteInstallationFolder = 0x00000400;  // with everything in it
inline constexpr std::uint32_t kScheduleNewFiles = 0x00000800;        // new files may be replaced at restart too
inline constexpr std::uint32_t kAddToPath = 0x00001000;
inline constexpr std::uint32_t kRebootRequired = 0x00004000;
inline constexpr std::uint32_t kBackgroundBitmap = 0x00008000;
inline constexpr std::uint32_t kUpdateOnly = 0x00010000;              // the update-only data follow
inline constexpr std::uint32_t kAskBeforeRemovingSharedFiles = 0x00020000;  // the uninstaller asks first
inline constexpr std::uint32_t kVerifyWrites = 0x00040000;            // every file is read back
inline constexpr std::uint32_t kOverwriteProtected = 0x00080000;      // read-only, hidden, system cleared first
inline constexpr std::uint32_t kDetailedLog = 0x00100000;
inline constexpr std::uint32_t kNoProgressCancel = 0x00200000;        // the progress window's Cancel is disabled
inline constexpr std::uint32_t kPreInstallBatchHidden = 0x00800000;
inline constexpr std::uint32_t kPostInstallBatchHidden = 0x01000000;
inline constexpr std::uint32_t kExitBatchHidden = 0x02000000;
inline constexpr std::uint32_t kUninstallBatch1Hidden = 0x04000000;
inline constexpr std::uint32_t kUninstallBatch2Hidden = 0x08000000;
inline constexpr std::uint32_t kNoExistingInstallQuestion = 0x10000000;
inline constexpr std::uint32_t kNoBackgroundWindow = 0x20000000;
inline constexpr std::uint32_t kConfirmFolder = 0x80000000;
}  // namespace flags_low

// `ProductFlags` high-word bits with a fixed meaning.
namespace flags_high {
inline constexpr std::uint32_t kCheckStubChecksum = 0x00000001;
inline constexpr std::uint32_t kDesktopUninstaller = 0x00000002;      // desktop shortcut to the uninstaller
inline constexpr std::uint32_t kStartMenuPage = 0x00000004;
inline constexpr std::uint32_t kUninstallErrorsWhenAutomatic = 0x00000008;  // the error box even then
inline constexpr std::uint32_t kCompareVersions = 0x00000010;
inline constexpr std::uint32_t kRefuseNetworkFolders = 0x00000020;
inline constexpr std::uint32_t kUninstallerInUninstallFolder = 0x00000040;  // shortcut there
inline constexpr std::uint32_t kProgressOnWholeScreen = 0x00000100;
inline constexpr std::uint32_t kAlwaysAskRestart = 0x00000200;
inline constexpr std::uint32_t kKeepTitleOnLanguageChange = 0x00000400;  // the background title stays
inline constexpr std::uint32_t kNoInteractiveGreeting = 0x00000800;
inline constexpr std::uint32_t kWarnOldVersions = 0x00001000;         // with the warning version
inline constexpr std::uint32_t kUninstallRestart = 0x00002000;       // the uninstaller restarts the machine
inline constexpr std::uint32_t kWriteReadmeFiles = 0x00004000;
inline constexpr std::uint32_t kWriteLicenceFiles = 0x00008000;
inline constexpr std::uint32_t kNoPathsInStepText = 0x00020000;
inline constexpr std::uint32_t kGrantFolderRights = 0x00040000;
inline constexpr std::uint32_t kUninstallProgressWindow = 0x00080000;
inline constexpr std::uint32_t kStyledGreetingBox = 0x00100000;      // the style-0 greeting box gets the page look
inline constexpr std::uint32_t kLeaveRebootMarker = 0x00200000;
inline constexpr std::uint32_t kKeepInstallLogAtUninstall = 0x00400000;
inline constexpr std::uint32_t kRefuseRemovableDrives = 0x00800000;
inline constexpr std::uint32_t kOfferLogOnSummary = 0x02000000;
inline constexpr std::uint32_t kDesktopFolderIsProductName = 0x04000000;
inline constexpr std::uint32_t kStartMenuLogShortcut = 0x08000000;
inline constexpr std::uint32_t kUpgradeBatchHidden = 0x10000000;
inline constexpr std::uint32_t kReinstallBatchHidden = 0x20000000;
inline constexpr std::uint32_t kGrantSharedFolderRights = 0x40000000;  // with kGrantFolderRights
}  // namespace flags_high

// `ProductFlags2`: the container head's flag word (not part of this stream).
namespace flags2 {
inline constexpr std::uint32_t kReinstallBatchSameVersionOnly = 0x00000001;
inline constexpr std::uint32_t kRestorePoint = 0x00000002;
inline constexpr std::uint32_t kStartApplicationTicked = 0x00000004;   // summary page box
inline constexpr std::uint32_t kOpenFolderTicked = 0x00000008;         // summary page box
inline constexpr std::uint32_t kOpenDocumentTicked = 0x00000010;       // summary page box
inline constexpr std::uint32_t kUninstallerWithoutSetupSection = 0x00000020;
inline constexpr std::uint32_t kLogPreInstallBatch = 0x00000040;
inline constexpr std::uint32_t kLogPostInstallBatch = 0x00000080;
inline constexpr std::uint32_t kLogUpgradeBatch = 0x00000100;
inline constexpr std::uint32_t kLogReinstallBatch = 0x00000200;
inline constexpr std::uint32_t kButtonIcons = 0x00000400;              // cleared before Windows Vista
inline constexpr std::uint32_t kPortableNoShortcuts = 0x00000800;      // and no start-menu page
inline constexpr std::uint32_t kEnciphered = 0x00001000;
inline constexpr std::uint32_t kRemoveInstallPathValue = 0x00002000;
inline constexpr std::uint32_t kPortableNoRegistry = 0x00008000;
inline constexpr std::uint32_t kSkipFreeSpaceCheckNonAscii = 0x00010000;
inline constexpr std::uint32_t kPortableNoAssociations = 0x00020000;
inline constexpr std::uint32_t kUninstallCompletionMessage = 0x00040000;
inline constexpr std::uint32_t kPortableNoFirewall = 0x00080000;
inline constexpr std::uint32_t kStartApplicationAsProcess = 0x00100000;
inline constexpr std::uint32_t kDeploymentExitCodes = 0x00200000;  // deployment_exit_code below
}  // namespace flags2

// The exit codes of flags2::kDeploymentExitCodes, which deployment tools
// read: completed, completed but a restart is still needed, cancelled by the
// user, refused or failed.
namespace deployment_exit_code {
inline constexpr int kSuccess = 0;
inline constexpr int kRestartNeeded = 3010;
inline constexpr int kCancelled = 1602;
inline constexpr int kFailed = 1603;
}  // namespace deployment_exit_code

}  // namespace setup
