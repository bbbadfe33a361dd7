#pragma once
// Undoing file associations. Before the installation overwrote a default
// value under HKEY_CLASSES_ROOT it kept the old text in a backup value of the
// same key; the uninstaller puts those texts back and removes what the
// installation created.
//
// The walk is pure over ClassesRoot, the few registry operations it needs
// (keys are paths below HKEY_CLASSES_ROOT; nothing is ever created).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "uninstall_data.h"

namespace uninstall {

class ClassesRoot {
 public:
  virtual ~ClassesRoot() = default;
  virtual bool key_exists(const std::u16string& key) = 0;
  // A string value; nothing when the key or the value is missing. The
  // default value has the empty name.
  virtual std::optional<std::u16string> read_value(const std::u16string& key, const std::u16string& name) = 0;
  virtual void write_default(const std::u16string& key, const std::u16string& text) = 0;
  virtual void delete_value(const std::u16string& key, const std::u16string& name) = 0;
  virtual bool has_subkeys(const std::u16string& key) = 0;
  // No values and no subkeys.
  virtual bool is_empty(const std::u16string& key) = 0;
  // The key with its values and everything below it.
  virtual void delete_tree(const std::u16string& key) = 0;
};

// The display name followed by " Backup", without backslashes, carriage
// returns, line feeds and tabs.
std::u16string backup_value_name(std::u16string_view display_name);

// Restores every association: the default values that have backups, and
// removes the file type's icon, verb and command, then the file type and
// the extension when the installation made them. An extension is removed
// only when it had no backup and still names the removed file type (or
// none), so that an extension the installation only joined ("Open With")
// stays.
void restore_associations(const std::vector<AssociationRecord>& records, const std::u16string& backup_name,
                          ClassesRoot& classes);

}  // namespace uninstall
