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

#include "association_plan.h"
#include "uninstall_data.h"

namespace uninstall {

class ClassesRoot {
 public:
  virtual ~ClassesRoot() = default;
  virtual bool key_exists(const std::u16string& key) = 0;
  // A string value; nothing when the key or the value is missing. The
  // default value has the empty name.
  virtual std::optional<std::u16string> read_value(const std::u16string& key, const std::u16string& name) = 0;
  // The value `from` becomes the value `to`, with its type and data; false
  // when there is no `from`.
  virtual bool move_value(const std::u16string& key, const std::u16string& from, const std::u16string& to) = 0;
  virtual void delete_value(const std::u16string& key, const std::u16string& name) = 0;
  virtual std::vector<std::u16string> value_names(const std::u16string& key) = 0;
  virtual bool has_subkeys(const std::u16string& key) = 0;
  // No values and no subkeys.
  virtual bool is_empty(const std::u16string& key) = 0;
  // The key with its values and everything below it.
  virtual void delete_tree(const std::u16string& key) = 0;
};

// The installation named its backups after the product.
using integration::backup_value_name;

// Restores every association: the default values that have backups (each
// as it was stored), and removes the file type's icon, verb and command,
// then the file type and the extension when the installation made them.
// Only what the installation wrote goes: a shell default that names
// another verb stays, a file type goes only when it holds nothing but its
// description, and an extension without a backup loses only its pointer to
// the removed type and that type's "Open With" entry, and goes when nothing
// else is left in it. So an extension the installation only joined ("Open
// With") keeps its own type.
void restore_associations(const std::vector<AssociationRecord>& records, const std::u16string& backup_name,
                          ClassesRoot& classes);

}  // namespace uninstall
