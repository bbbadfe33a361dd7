#pragma once
// The installation driver's decisions, as pure functions of the facts the
// driver gathers: platform checks, the install type, the installation folder
// and the command line that hands this installer to an old uninstaller.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "settings.h"

namespace setup {

// Compares two version texts: negative, zero or positive as a is older,
// equal or newer than b.
using VersionCompare = std::function<int(std::u16string_view a, std::u16string_view b)>;

// The bitness check: the number that localised string 81 is completed with
// when the product cannot run here (64 or 32), or none.
std::optional<int> refused_bitness(std::uint8_t product_bitness, bool windows_64bit);

// 3, 4, 5 or 6 (see InstallType) for an existing installation.
int install_type(bool compare_versions, std::u16string_view installed, std::u16string_view ours,
                 const VersionCompare& compare);

// The must-uninstall rule: the old version must be removed first.
bool must_uninstall_first(bool flag_set, std::u16string_view must_uninstall_version, std::u16string_view installed,
                          const VersionCompare& compare);

// The no-downgrade rule: true when this version is lower than the stored
// lowest version.
bool downgrade_refused(std::u16string_view no_downgrade_below, std::u16string_view ours,
                       const VersionCompare& compare);

// The old uninstaller's command line that restarts this installer when it is
// done: the command, " /r:\"", this installer's command line with every
// double quote turned into a back-quote, and a closing double quote.
std::u16string must_uninstall_command(std::u16string_view uninstall_command, std::u16string_view our_command_line);


// The default installation folder of a new installation, before path
// variables: "<os>" replaced, empty gives the product name, and a relative
// text is placed in the program files folder (the 64-bit one for a 64-bit
// product), written as a path variable.
std::u16string default_folder_text(std::u16string_view setting, std::u16string_view product_name,
                                   std::u16string_view os_name, std::uint8_t bitness);

// The shared folder's base folder, as a path variable text, from the
// settings' choice (1 all users' application data, 2 the 32-bit common
// files, 3 the 64-bit common files, else the common files of the product's
// bitness).
std::u16string shared_base_variable(std::uint8_t base);

// The licence or readme texts the pages show, in their order: the run's own
// text (localised 63 or 64) first when it is not empty, marked as UTF-16 by
// the bytes FF FE, then the author's that are not empty. Every text but rich text has its path
// variables expanded.
using TextExpansion = std::function<std::u16string(const std::u16string&)>;
std::vector<std::string> page_documents(const std::u16string& own_text, const std::vector<std::string>& texts,
                                        const TextExpansion& expand);

}  // namespace setup
