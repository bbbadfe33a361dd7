#include "association_restore.h"

#include <set>

#include "text.h"

namespace uninstall {
namespace {

const std::u16string kDefault;

std::u16string lowered(std::u16string_view key) {
  std::u16string out(key);
  for (char16_t& c : out) c = kv::ascii_lower(c);
  return out;
}

// What one association's walk found of its extension.
struct Restored {
  std::u16string extension;
  std::u16string file_type;
  bool extension_is_new = true;  // it had no backup: the installation may have made it
};

// One walk over all the associations. Entries may share keys (two
// extensions of one type, two verbs of one type), and a key's backup holds
// the value from before the first of them: once it is back, the later
// entries leave that default value alone.
class Walk {
 public:
  Walk(ClassesRoot& classes, const std::u16string& backup_name) : classes_(classes), backup_name_(backup_name) {}

  Restored restore_values(const AssociationRecord& record) {
    Restored r{kv::from_marked(record.extension), kv::from_marked(record.class_key)};
    std::u16string verb = kv::from_marked(record.verb);
    if (r.extension.front() != u'.') r.extension.insert(r.extension.begin(), u'.');

    if (classes_.key_exists(r.extension)) {
      if (restore_default(r.extension)) r.extension_is_new = false;
      // While the extension still names the type, its entry goes with the type.
      if (kv::iequals(verb, u"open") && !default_names(r.extension, r.file_type))
        remove_open_with_entry(r.extension, r.file_type);
    }

    if (!classes_.key_exists(r.file_type)) return r;
    restore_default(r.file_type);
    if (!record.icon.empty()) {
      std::u16string icon = r.file_type + u"\\DefaultIcon";
      if (classes_.key_exists(icon) && !restore_or_delete_default(icon) && classes_.is_empty(icon))
        classes_.delete_tree(icon);
    }
    remove_verb(r.file_type, verb);
    return r;
  }

  // Nothing but (at most) the description the installation gave it.
  bool only_description_left(const std::u16string& file_type) {
    if (classes_.has_subkeys(file_type)) return false;
    for (const std::u16string& name : classes_.value_names(file_type))
      if (!name.empty()) return false;
    return true;
  }

  // The extension no longer points at the removed type nor lists it; one
  // the installation made goes when nothing else is left in it.
  void release_extension(const Restored& r) {
    if (!classes_.key_exists(r.extension)) return;
    remove_open_with_entry(r.extension, r.file_type);
    if (!r.extension_is_new || restored_.contains(lowered(r.extension))) return;
    if (default_names(r.extension, r.file_type)) classes_.delete_value(r.extension, kDefault);
    if (classes_.is_empty(r.extension)) classes_.delete_tree(r.extension);
  }

 private:
  // The backup value becomes the key's default value again.
  bool restore_default(const std::u16string& key) {
    if (restored_.contains(lowered(key))) return true;
    if (!classes_.move_value(key, backup_name_, kDefault)) return false;
    restored_.insert(lowered(key));
    return true;
  }

  // The default value comes back from its backup, or goes.
  bool restore_or_delete_default(const std::u16string& key) {
    if (restore_default(key)) return true;
    classes_.delete_value(key, kDefault);
    return false;
  }

  bool default_names(const std::u16string& key, const std::u16string& name) {
    std::optional<std::u16string> text = classes_.read_value(key, kDefault);
    return text && kv::iequals(*text, name);
  }

  void remove_open_with_entry(const std::u16string& extension, const std::u16string& file_type) {
    std::u16string open_with = extension + u"\\OpenWithProgids";
    if (!classes_.key_exists(open_with)) return;
    classes_.delete_value(open_with, file_type);
    if (classes_.is_empty(open_with)) classes_.delete_tree(open_with);
  }

  void remove_verb(const std::u16string& file_type, const std::u16string& verb) {
    std::u16string shell = file_type + u"\\shell";
    if (!classes_.key_exists(shell)) return;
    // The installation set the shell's default only to its own verb.
    if (!restore_default(shell) && default_names(shell, verb)) classes_.delete_value(shell, kDefault);
    if (!verb.empty()) {
      std::u16string verb_key = shell + u"\\" + verb;
      std::u16string command = verb_key + u"\\command";
      bool restored = classes_.key_exists(command) && restore_or_delete_default(command);
      // A verb that was there before keeps its caption too.
      if (restored)
        restore_or_delete_default(verb_key);
      else if (classes_.key_exists(verb_key))
        classes_.delete_tree(verb_key);
    }
    if (!classes_.has_subkeys(shell) && classes_.is_empty(shell)) classes_.delete_tree(shell);
  }

  ClassesRoot& classes_;
  const std::u16string& backup_name_;
  std::set<std::u16string> restored_;  // lower-cased keys whose default came back
};

}  // namespace

void restore_associations(const std::vector<AssociationRecord>& records, const std::u16string& backup_name,
                          ClassesRoot& classes) {
  Walk walk(classes, backup_name);
  std::vector<Restored> walked;
  for (const AssociationRecord& record : records)
    if (!record.extension.empty() && !record.class_key.empty()) walked.push_back(walk.restore_values(record));
  // A file type goes once every association that used it is undone, and
  // with it the pointers of all its extensions.
  std::vector<std::u16string> removed;
  for (const Restored& r : walked) {
    if (!classes.key_exists(r.file_type) || !walk.only_description_left(r.file_type)) continue;
    classes.delete_tree(r.file_type);
    removed.push_back(r.file_type);
  }
  for (const Restored& r : walked)
    for (const std::u16string& type : removed)
      if (kv::iequals(type, r.file_type)) {
        walk.release_extension(r);
        break;
      }
}

}  // namespace uninstall
