#pragma once
// What one file association writes under HKEY_CLASSES_ROOT, decided from
// the entry and what the extension's key holds, apart from the registry;
// and the backup of the values it overwrites, which the uninstaller puts
// back.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace integration {

// The association entry's kinds.
namespace association_kind {
inline constexpr std::uint32_t kDefaultVerb = 1;  // the verb becomes the file type's default
inline constexpr std::uint32_t kOpenWithOnly = 2;  // leave the extension's file type alone
}  // namespace association_kind

// The name of the value that keeps an overwritten default value: the
// product name followed by " Backup", without backslashes, carriage
// returns, line feeds and tabs.
std::u16string backup_value_name(std::u16string_view product_name);

// An entry applies in every language when it names none.
bool association_applies(std::u16string_view entry_language, std::u16string_view current_language);

// "abc" and ".abc" name the same extension.
std::u16string extension_key(std::u16string_view extension);

// The extension's key as the step found it: nothing when it could not be
// opened (or created), else its current file type ("" when it has none).
using ExtensionFacts = std::optional<std::u16string>;

struct AssociationPlan {
  bool ends = false;              // nothing is written; `log` says why
  std::u16string log;
  std::u16string file_type;       // the type the entry works on
  bool use_current_type = false;  // the type is the extension's, not the entry's
  bool set_extension_type = false;  // the extension's default value becomes the file type
  bool add_open_with = false;       // the file type joins the extension's "Open With" list
  bool set_description = false;
  bool set_default_verb = false;
};

// The extension key is only opened, not created, when the entry names no
// file type: there is nothing to point it at.
bool extension_opened_only(std::u16string_view file_type);

// Empty or "!" types take the extension's current type ("!name": else
// name); an Open With entry never changes the extension's type and always
// needs a name of its own.
AssociationPlan plan_association(std::uint32_t kind, std::u16string_view extension, std::u16string_view file_type,
                                 std::u16string_view verb, bool has_description, const ExtensionFacts& facts);

// A registry value as stored: its type and bytes.
struct StoredValue {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> bytes;
};

// Whether the value about to be overwritten with `text` must be kept under
// the backup name: it exists, differs from the text (in type or content),
// and no earlier write kept the true previous owner's value already.
bool backup_needed(const std::optional<StoredValue>& old_value, std::u16string_view text, bool backup_exists);

// Texts of the log and the error report.
std::u16string open_with_log_text(std::u16string_view extension, std::u16string_view command);
std::u16string associated_log_text(std::u16string_view extension, std::u16string_view command);
std::u16string association_failed_text(std::u16string_view extension);

// Skipped in a portable installation whose settings say so (ProductFlags2).
bool associations_skipped_when_portable(bool portable, std::uint32_t product_flags2);

}  // namespace integration
