#pragma once
// The registry records the uninstaller undoes: key paths as the installation
// spells them, the author's registry entry list ("[Registry2]") and the
// product's own key with its empty parents.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "registry_path.h"

namespace uninstall {

// What the uninstaller undoes of the author's registry entry list.
struct RegistryUndo {
  enum Kind { remove_value, remove_key_if_empty } kind = remove_value;
  kv::RegistryKeyPath key;
  std::u16string value_name;
  bool operator==(const RegistryUndo&) const = default;
};

// The entry list, line by line as CSV: a record of one field with more than
// one backslash is a key, removed when empty; a record of five fields whose
// action is 2, 3 or 5 names a value to delete. Values come first, then keys,
// the later key first, so that a key emptied by its values' removal goes
// too and a subkey goes before its parent. Records with an unknown root and
// other records are ignored.
std::vector<RegistryUndo> registry_items_to_undo(std::u16string_view entry_list);

// The product's key "Software\<name>" and the parents that go when empty,
// deepest first: never "Software" itself, at most 20.
std::vector<std::u16string> product_key_parents(std::u16string_view product_registry);
std::u16string product_key(std::u16string_view product_registry);

}  // namespace uninstall
