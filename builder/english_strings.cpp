#include "english_strings.h"

namespace builder {
namespace {

// Texts shown by the uninstaller travel in Uninstall.DAT (ids 10, 15, 20,
// 30, 34, 35, 49, 53, 55 to 59, 65, 67 to 71, 74, 79, 80, 99 to 101, 104,
// 107 to 111); their placeholders are replaced before they are written.
constexpr EnglishString kTable[] = {
    {0, "<product> Setup", "Wizard caption; background window title when DisplayTitle is empty", ""},
    {1,
     "Welcome to the installation of <product>.\r\n\r\n"
     "This program will install <description> on your computer. It is recommended that you close all "
     "other programs before you continue.",
     "Greeting page text (a message box with OK and Cancel in page style 0)", ""},
    {2, "Existing Installation", "Caption of the existing-installation question (7)", ""},
    // 3 to 6 are the install types; the chosen one opens question 7.
    {3, "<product> is already installed on this computer.", "Install type 3: reinstall without version check",
     ""},
    {4, "This version of <product> is already installed on this computer.",
     "Install type 4: the same version is installed", ""},
    {5, "An older version of <product> is installed on this computer and will be updated.",
     "Install type 5: upgrade of an older version", ""},
    {6, "A newer version of <product> is installed on this computer and will be replaced by this older version.",
     "Install type 6: downgrade of a newer version", ""},
    // Composition: the install type's text (3 to 6), the existing installation
    // folder, the product name.
    {7,
     "%s\r\n\r\nInstallation folder:\r\n%s\r\n\r\nDo you want to continue and install %s into this folder?",
     "Yes/No question when an existing installation is found; No cancels",
     "install type text (3 to 6), existing folder, product name"},
    {8, "Preparing to install files...", "Step text before the installation data is verified", ""},
    {9,
     "An older version of <product> is installed on this computer. It must be uninstalled before this "
     "version can be installed.",
     "Must-uninstall page text; also the refusal when the old version has no uninstaller", ""},
    {10,
     "Some parts of <product> could not be removed:\r\n\r\n%s\r\n"
     "You can run the uninstaller again later to finish the removal.",
     "Uninstaller: warning with the failures at the end", "the failure report"},
    {11,
     "Setup will install <product> into the following folder.\r\n\r\n"
     "To install into a different folder, type its path or click Browse.",
     "Installation folder page text", ""},
    // Composition: the display name of the product that the update applies to.
    {12,
     "This is an update for %s, which is not installed on this computer. Please install the full product "
     "first, then run this update again.",
     "Refusal: update-only installer and the product to update is missing",
     "display name of the product to update"},
    {13,
     "This installation program is corrupt.  This is usually caused by a faulty download, but it can also "
     "be caused by a virus on your computer.  The installation cannot proceed.\r\n\r\n"
     "Delete the corrupted installer (to prevent caching), then re-download it.  If the problem persists, "
     "check your system for viruses.\r\n\r\nError code: %d",
     "Fatal message for damaged installation data", "error code"},
    {15, "Uninstall Complete", "Uninstaller: caption of the completion message (34)", ""},
    // Composition: the refused folder.
    {18,
     "<product> cannot be installed directly into the folder\r\n%s\r\n\r\n"
     "Please choose or create a subfolder for <product>.",
     "Refusal on the folder page: the root of the program files folder", "the folder"},
    // Composition: the drive's free space, then the space required, both as
    // formatted sizes ("1.5 GB").
    {19,
     "There is not enough free space on the selected drive.\r\n\r\nAvailable: %s\r\nRequired: %s\r\n\r\n"
     "Do you want to install into this folder anyway?",
     "Yes/No question on the folder page (caption 20); No returns to the page",
     "free space, required space (formatted sizes)"},
    {20, "Warning",
     "Caption of warnings and questions: 19, 28, 37, 72; uninstaller: 10 and 74", ""},
    {21, "Error", "Caption of error boxes and of the must-uninstall page", ""},
    // Composition: the chosen folder.
    {22, "The folder\r\n%s\r\nalready exists. Do you want to install <product> into it?",
     "Confirmation of an existing folder (caption 24)", "the folder"},
    {23, "The folder\r\n%s\r\ndoes not exist. Do you want to create it and install <product> there?",
     "Confirmation of a folder that will be created (caption 24)", "the folder"},
    {24, "Installation Folder", "Installation folder page caption; caption of 22 and 23", ""},
    // Followed by a blank, the folder, a line break and the system's error
    // text, both in the failure report and on the folder page.
    {25, "Unable to create the folder", "Failure line: prefix before the folder and the error text", ""},
    {27, "Password:", "Password page: label of the password field", ""},
    {28, "Are you sure you want to cancel the installation of <product>?",
     "Yes/No question of the progress window's Cancel button (caption 20)", ""},
    {30, "", "Carried into Uninstall.DAT; no screen shows it, so it stays empty", ""},
    // Followed by a blank, the path, a line break and the system's error text.
    {31, "Unable to write the file",
     "Failure line: prefix before a file, shortcut or Uninstall.DAT that could not be written", ""},
    {32, "Completing the installation...", "Step text at the start of the completion", ""},
    {33, "Uninstall <product>", "Name of the shortcuts to the uninstaller", ""},
    {34, "<product> was successfully removed from your computer.", "Uninstaller: completion message", ""},
    {35,
     "The shared file\r\n%s\r\nis no longer used by any installed program.\r\n\r\n"
     "Do you want to delete it? If another program still needs it, that program may stop working. "
     "If you are not sure, choose No.",
     "Uninstaller: Yes/No question before deleting a shared file (caption 59)", "the file's path"},
    {36, "Finishing the installation...", "Step text before the uninstall data and the final batch", ""},
    {37, "Your computer must be restarted to complete the installation of <product>.\r\n\r\n"
         "Do you want to restart now?",
     "Yes/No restart question after installing (caption 20)", ""},
    // The text is the link's file name; a bare "%s" keeps the target's name.
    {38, "%s", "Shortcut name when the author gave none", "the target's file name"},
    {39, "Please wait while <product> is being installed on your computer.", "Progress window text", ""},
    {40,
     "The installation of <product> is complete, but some actions failed.\r\n\r\n"
     "The details have been written to the installation log:\r\n%s\r\n\r\nDo you want to view the log now?",
     "Yes/No question at the end of an installation with failures (caption 41)", "path of Install.log"},
    {41, "Installation Errors", "Caption of 40", ""},
    {42, "<product> has been successfully installed.",
     "Summary page text; the completion message when no summary is shown", ""},
    {43, "Installation Complete", "Summary page caption; caption of 42; last line of a clean Install.log", ""},
    {44, "License Agreement", "Licence page caption", ""},
    {45, "I Agree", "Licence page: accept button", ""},
    {46, "I Disagree", "Licence page: decline button (cancels)", ""},
    {47, "Please read the following license agreement. You must accept its terms to install <product>.",
     "Licence page text", ""},
    {48, "Next", "Forward button of the pages", ""},
    {49, "Cancel", "Cancel button of pages, the progress window and message boxes", ""},
    {50, "Important Information", "Readme page caption", ""},
    {51, "Please read the following information before you continue.", "Readme page text", ""},
    {52, "Browse...", "Browse button of the folder pages", ""},
    {53, "Do you want to completely remove <product> and all of its components from your computer?",
     "Uninstaller: confirmation question (caption 55)", ""},
    {54, "Installing <product>",
     "Progress window caption; step text while files are copied without showing their names", ""},
    {55, "<product> Uninstall",
     "Uninstaller: title of its windows and boxes; progress caption when uninstalling", ""},
    {56, "Do you want to remove the font \"%s\" from your computer?\r\n\r\n"
         "Other programs or documents may still use it.",
     "Uninstaller: Yes/No question before removing a font (caption 57)", "the font's name"},
    {57, "Remove Font", "Uninstaller: caption of 56", ""},
    // Followed by a blank and the path.
    {58, "Unable to delete the file", "Uninstaller: failure line for a file that could not be deleted", ""},
    {59, "Remove Shared File", "Uninstaller: caption of 35", ""},
    // Composition: the required system's name ("Windows 7").
    {60, "<product> requires %s or later.", "Refusal: Windows older than the required version",
     "required Windows version"},
    // Composition: the running system's name.
    {61, "<product> cannot be installed on %s.", "Refusal: Windows family excluded by the author",
     "running Windows version"},
    {62, "Verifying the installation data...", "Step text while the archive is checked", ""},
    {63, "",
     "Extra licence text shown before the author's licences when not empty; empty by default", ""},
    {64, "", "Extra readme text shown before the author's readmes when not empty; empty by default", ""},
    {65, "<product> Setup",
     "Installer title: greeting caption, close-application question caption, style-2 window caption", ""},
    {66, "<product> cannot be installed into a network folder. Please choose a folder on a local drive.",
     "Folder page refusal: network path", ""},
    {67, "Removing fonts...", "Uninstaller step text", ""},
    {68, "Removing shared files...", "Uninstaller step text", ""},
    {69, "Removing registry entries...", "Uninstaller step text", ""},
    {70, "Removing file associations...", "Uninstaller step text", ""},
    {71, "Please wait while <product> is being removed from your computer.",
     "Uninstaller: progress window text", ""},
    // Composition: the installed version, then the author's warning version.
    {72,
     "Version %s of <product> is installed on this computer. Versions older than %s may not update "
     "correctly; you may want to uninstall it first.\r\n\r\nClick OK to continue, or Cancel to exit Setup.",
     "OK/Cancel warning before updating an old version (caption 20)",
     "installed version, warning version"},
    {73, "Setup cannot write to this folder. Please choose a folder in which you are allowed to create files.",
     "Folder page refusal: folder not writable", ""},
    {74, "Your computer must be restarted to complete the removal of <product>.\r\n\r\n"
         "Do you want to restart now?",
     "Uninstaller: Yes/No restart question (caption 20)", ""},
    {75, "Password", "Password page caption", ""},
    {76, "This installation is protected by a password. Please enter the password to continue.",
     "Password page text", ""},
    // "<file>" is replaced by the file's path, or "Control Panel extension" and
    // the applet's name.
    {77, "Registering <file>...", "Step text for a font or component being registered", ""},
    {78, "Updating the registry...", "Step text while registry entries are written", ""},
    {79, "Yes", "Message box button", ""},
    {80, "No", "Message box button", ""},
    {81, "This is a %d-bit version of <product>, which cannot be installed on this version of Windows.",
     "Refusal: wrong Windows bitness", "64 for a 64-bit product, 32 for a 32-bit-only product"},
    {82, "Please select the language to use during the installation:", "Language page text", ""},
    {83, "Open the installation folder", "Summary page check box", ""},
    {84, "Start <product>", "Summary page check box", ""},
    {85, "View the installation log", "Summary page check box", ""},
    {86, "<product> Installation Log", "Name of the Start menu shortcut to Install.log", ""},
    {87, "View the documentation", "Summary page check box", ""},
    {88,
     "Setup will create the program's shortcuts in the following Start menu folder.\r\n\r\n"
     "To use a different folder, type its name or click Browse.",
     "Start menu page text", ""},
    {89, "Start Menu Folder", "Start menu page caption", ""},
    {90, "Install", "Forward button of the last page before installing", ""},
    {91, "Another installation is already running. Please wait until it has finished, then try again.",
     "Refusal: a second installer is running", ""},
    // Followed by a blank and the formatted size.
    {92, "Space required:", "Folder page label", ""},
    {93, "Space available:", "Folder page label", ""},
    {94, "Select Language", "Language page caption", ""},
    {95, "Finish", "Summary page button", ""},
    {96, "<product> cannot be installed on this drive. Please choose a folder on a local hard disk.",
     "Folder page refusal: CD or removable drive", ""},
    {97, "Creating a system restore point...", "Step text", ""},
    {98, "The installation of <product> has been canceled.", "Message after Cancel (caption 111)", ""},
    {99, "%s is running. Please close it, then click Retry to continue, or click Cancel to exit Setup.",
     "Retry/Cancel request to close a running program before installing (caption 65)",
     "the program's name"},
    {100, "Retry", "Message box button", ""},
    {101, "The removal of <product> has been canceled.", "Uninstaller: message after Cancel (caption 111)",
     ""},
    {102, "The password is incorrect. Please try again.", "Password page error (caption 21)", ""},
    {103, "Welcome", "Greeting caption in page style 2", ""},
    {104, "Uninstall", "Button of the must-uninstall and support-offer pages", ""},
    // "<a>" becomes the opening tag of the link to the author's address.
    {105, "Visit the <a><product> web site</a> for more information.", "Greeting page link text", ""},
    // Composition: the lowest version that may replace the installed one.
    {106,
     "A newer version of <product> is installed on this computer. It cannot be replaced by a version older "
     "than %s.",
     "Refusal: downgrade below the installed product's limit", "lowest allowed version"},
    {107,
     "%s is running. Please close it, then click Retry to continue, or click Cancel to stop the "
     "uninstallation.",
     "Uninstaller: Retry/Cancel request to close a running program (caption 55)", "the program's name"},
    {108, "Removing Windows Installer packages...", "Uninstaller step text", ""},
    {109,
     "If you are removing <product> because of a problem, our support team will be glad to help.\r\n\r\n"
     "Click Get Help to contact support, or Uninstall to continue with the removal.",
     "Uninstaller: support-offer page text", ""},
    {110, "Get Help", "Uninstaller: support-offer page caption and accept button", ""},
    {111, "Canceled", "Caption of 98 and 101", ""},
    // Composition: the installed version, then the oldest version the update
    // accepts.
    {112,
     "This update cannot be applied: version %s is installed, but <product> can only update version %s or "
     "later.",
     "Refusal: update-only installer and the installed product is too old",
     "installed version, oldest updatable version"},
    {113, "Creating folders...", "Step text while the installation folders are created", ""},
};

}  // namespace

const std::span<const EnglishString> kEnglishStrings{kTable};

int english_string_count() { return kTable[std::size(kTable) - 1].number + 1; }

}  // namespace builder
