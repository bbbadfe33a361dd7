#include "association_restore.h"

#include "text.h"

namespace uninstall {
namespace {

const std::u16string kDefault;

// The backup value becomes the key's default value again.
bool restore_default(ClassesRoot& classes, const std::u16string& key, const std::u16string& backup_name) {
  std::optional<std::u16string> backup = classes.read_value(key, backup_name);
  if (!backup) return false;
  classes.write_default(key, *backup);
  classes.delete_value(key, backup_name);
  return true;
}

// The default value comes back from its backup, or goes.
bool restore_or_delete_default(ClassesRoot& classes, const std::u16string& key, const std::u16string& backup_name) {
  if (restore_default(classes, key, backup_name)) return true;
  classes.delete_value(key, kDefault);
  return false;
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
  restore_or_delete_default(classes, shell, backup_name);
  if (!verb.empty()) {
    std::u16string verb_key = shell + u"\\" + verb;
    std::u16string command = verb_key + u"\\command";
    bool restored = classes.key_exists(command) && restore_or_delete_default(classes, command, backup_name);
    if (!restored && classes.key_exists(verb_key)) classes.delete_tree(verb_key);
  }
  if (!classes.has_subkeys(shell) && classes.is_empty(shell)) classes.delete_tree(shell);
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
    if (kv::iequals(verb, u"open")) remove_open_with_entry(classes, extension, file_type);
  }

  if (!classes.key_exists(file_type)) return;
  restore_default(classes, file_type, backup_name);
  if (!record.icon.empty()) {
    std::u16string icon = file_type + u"\\DefaultIcon";
    if (classes.key_exists(icon) && !restore_or_delete_default(classes, icon, backup_name) && classes.is_empty(icon))
      classes.delete_tree(icon);
  }
  remove_verb(classes, file_type, verb, backup_name);

  if (classes.has_subkeys(file_type)) return;
  classes.delete_tree(file_type);
  if (!extension_is_new || !classes.key_exists(extension)) return;
  std::u16string points_to = classes.read_value(extension, kDefault).value_or(u"");
  if (points_to.empty() || kv::iequals(points_to, file_type)) classes.delete_tree(extension);
}

}  // namespace

std::u16string backup_value_name(std::u16string_view display_name) {
  std::u16string name;
  for (char16_t c : std::u16string(display_name) + u" Backup")
    if (c != u'\\' && c != u'\r' && c != u'\n' && c != u'\t') name += c;
  return name;
}

void restore_associations(const std::vector<AssociationRecord>& records, const std::u16string& backup_name,
                          ClassesRoot& classes) {
  for (const AssociationRecord& record : records) restore_association(record, backup_name, classes);
}

}  // namespace uninstall
