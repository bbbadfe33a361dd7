#pragma once
// The uninstall data: everything an installation created, recorded while it
// runs, and the texts and rules the uninstaller needs, since it runs without
// the installation data. Written to Uninstall.DAT at the end of the run; the
// uninstaller reads it back and rewrites it with what it failed to remove.
//
// Text forms: paths in the removal list and the lines of the 8-bit sections
// are 8-bit text (paths in the marked form); the close rules and the
// conditional deletions keep the 8-bit texts of the settings; the texts, the
// header and the registry items are UTF-16 in memory and UTF-8 in the file.
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "settings.h"

namespace uninstall {

// The texts the uninstaller shows, in the order the file carries them.
inline constexpr int kUninstallTextIds[] = {
    10, 15, 20, 30, 34, 35, 49, 53, 55, 56, 57, 58, 59, 65, 67, 68,
    69, 70, 71, 74, 79, 80, 99, 100, 101, 104, 107, 108, 109, 110, 111};
// The wizard pages' header text travels as this text id.
inline constexpr int kHeaderTextId = 999;
inline constexpr int kHighestTextId = 1000;

enum class RemovalKind : int {
  file = 0,             // no kind character
  directory = 1,        // "~": removed when empty
  registry_value = 2,   // "!": a key path whose last component is a value name
  registry_key = 3,     // "^": a key with its subkeys, in the process's registry view
  registry_key_64 = 4,  // "*": the same in the 64-bit registry view
};

// The settings' close rules (section "[AutoClose]") and conditional
// deletions (section "[ConditionalDelete]"), kept as the settings hold them.
using setup::CloseRule;
using setup::ConditionalDeletion;

// A file association as the uninstaller reads it back.
struct AssociationRecord {
  std::string extension;
  std::string class_key;
  std::string verb;
  std::string icon;
};

struct UninstallData {
  // Lines of kind character, marked path and CR LF.
  std::string removal_list;
  // Lower-cased directories already in the removal list: each once per run.
  std::set<std::u16string> directories;

  std::map<int, std::u16string> texts;
  std::u16string header_text;
  std::vector<CloseRule> close_rules;

  // Sections of complete lines ending in CR LF, written as they stand.
  std::string associations;    // "ext~!~class~!~verb~!~icon"
  std::string firewall;        // "port-or-program;...;protocols;..."
  std::string inf;             // marked path of an installed driver file
  std::string msi;             // "\"" marked package path "\"," user-interface level
  std::u16string registry_items;  // the settings' registry entry list, whole

  // Entries of both phases; only those for the uninstallation are written.
  std::vector<ConditionalDeletion> conditional_deletions;

  // Filled by the parser only: the removal list as read (every line of its
  // section, empty ones too, in file order) and the associations to undo.
  // The associations are not written again.
  std::vector<std::string> removal_lines;
  std::vector<AssociationRecord> association_records;
};

// The uninstall data of this run.
extern UninstallData uninstall_data;

// Records something to remove. Refuses (false, nothing added) a path of three
// characters or fewer, so that a drive root never enters the list, and a
// directory that is already there in any letter case.
bool add_to_removal_list(UninstallData& data, std::string_view marked_path, RemovalKind kind);
bool add_to_removal_list_w(UninstallData& data, std::u16string_view path, RemovalKind kind);

// One line of each 8-bit section, in the form the uninstaller reads.
void add_association(UninstallData& data, std::string_view extension, std::string_view class_key,
                     std::string_view verb, std::string_view icon);
void add_firewall_line(UninstallData& data, std::string_view line);
void add_driver_package(UninstallData& data, std::u16string_view inf_path);
void add_msi_package(UninstallData& data, std::u16string_view package_path, int ui_level);

// Takes the current language's text of every id the uninstaller uses.
void capture_uninstall_texts(UninstallData& data, const std::function<std::u16string(int id)>& localised);
// The text of an id; empty when there is none.
const std::u16string& uninstall_text(const UninstallData& data, int id);

// Empties the removal list and the directory set.
void clear_uninstall_data(UninstallData& data);

// The file image: the removal list, then "[Strings]" and every section that
// has content.
std::string build_uninstall_image(const UninstallData& data);
// Reads a file image. Malformed lines are skipped; the parser never fails on
// content.
UninstallData parse_uninstall_image(std::string_view image);

// The lines of a section buffer, without their line ends.
std::vector<std::string_view> section_lines(std::string_view buffer);

// Installation folder \ uninstall subfolder \ Uninstall.DAT.
std::u16string uninstall_data_path(std::u16string_view install_folder, std::u16string_view uninstall_subdir);

}  // namespace uninstall
