#include "association_restore.h"

#include "text.h"

namespace uninstall {
namespace {

const std::u16string kDefault;

// The backup value becomes the key's default value again.
bool restore_default(ClassesRoot& classes, const std::u16string& key, const std::u16string& backup_name) {
  return classes.move_value(key, backup_name, kDefault);
}

// The default value comes back from its backup, or goes.
bool restore_or_delete_default(ClassesRoot& classes, const std::u16string& key, const std::u16string& backup_name) {
  if (restore_default(classes, key, backup_name)) return true;
  classes.delete_value(key, kDefault);
  return false;
}

bool default_names(ClassesRoot& classes, const std::u16string& key, const std::u16string& name) {
  std::optional<std::u16string> text = classes.read_value(key, kDefault);
  return text && kv::iequals(*text, name);
}

void remove_open_with_entry(ClassesRoot& classes, const std::u16string& extension, const std::u16string& file_type) {
  std::u16string open_with = extension + u"\\OpenWithProgids";
  if (!classes.key_exists(open_with)) return;
  classes.delete_value(open_with, file_type);
  if (classes.is_empty(open_with)) classes.delete_tree(open_with);
}

void remove_verb(ClassesRoot& classes, const std::u16string& file_type, const std::u16string& verb,
                 const std::u16string& backup_name) {
  std::u16string shell = file_type + u"\\shell";
  if (!classes.key_exists(shell)) return;
  // The installation set the shell's default only to its own verb.
  if (!restore_default(classes, shell, backup_name) && default_names(classes, shell, verb))
    classes.delete_value(shell, kDefault);
  if (!verb.empty()) {
    std::u16string verb_key = shell + u"\\" + verb;
    std::u16string command = verb_key + u"\\command";
    bool restored = classes.key_exists(command) && restore_or_delete_default(classes, command, backup_name);
    // A verb that was there before keeps its caption too.
    if (restored)
      restore_or_delete_default(classes, verb_key, backup_name);
    else if (classes.key_exists(verb_key))
      classes.delete_tree(verb_key);
  }
  if (!classes.has_subkeys(shell) && classes.is_empty(shell)) classes.delete_tree(shell);
}

// Nothing but (at most) the description the installation gave it.
bool only_description_left(ClassesRoot& classes, const std::u16string& file_type) {
  if (classes.has_subkeys(file_type)) return false;
  for (const std::u16string& name : classes.value_names(file_type))
    if (!name.empty()) return false;
  return true;
}

void restore_association(const AssociationRecord& record, const std::u16string& backup_name, ClassesRoot& classes) {
  std::u16string extension = kv::from_marked(record.extension);
  std::u16string file_type = kv::from_marked(record.class_key);
  std::u16string verb = kv::from_marked(record.verb);
  if (extension.empty() || file_type.empty()) return;
  if (extension.front() != u'.') extension.insert(extension.begin(), u'.');

  bool extension_is_new = true;
  if (classes.key_exists(extension)) {
    if (restore_default(classes, extension, backup_name)) extension_is_new = false;
    // While the extension still names the type, its entry goes with the type.
    if (kv::iequals(verb, u"open") && !default_names(classes, extension, file_type))
      remove_open_with_entry(classes, extension, file_type);
  }

  if (!classes.key_exists(file_type)) return;
  restore_default(classes, file_type, backup_name);
  if (!record.icon.empty()) {
    std::u16string icon = file_type + u"\\DefaultIcon";
    if (classes.key_exists(icon) && !restore_or_delete_default(classes, icon, backup_name) && classes.is_empty(icon))
      classes.delete_tree(icon);
  }
  remove_verb(classes, file_type, verb, backup_name);

  if (!only_description_left(classes, file_type)) return;
  classes.delete_tree(file_type);
  if (!classes.key_exists(extension)) return;
  remove_open_with_entry(classes, extension, file_type);
  if (!extension_is_new) return;
  if (default_names(classes, extension, file_type)) classes.delete_value(extension, kDefault);
  if (classes.is_empty(extension)) classes.delete_tree(extension);
}

}  // namespace

void restore_associations(const std::vector<AssociationRecord>& records, const std::u16string& backup_name,
                          ClassesRoot& classes) {
  for (const AssociationRecord& record : records) restore_association(record, backup_name, classes);
}

}  // namespace uninstall
