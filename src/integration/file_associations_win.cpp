#include "file_associations.h"

#include <windows.h>
#include <shlobj.h>

#include "association_plan.h"
#include "crash_guard.h"
#include "engine_run.h"
#include "file_destination.h"
#include "install_log.h"
#include "path_variables_win.h"
#include "registry.h"
#include "run_state.h"
#include "text.h"
#include "uninstall_data.h"
#include "win_handles.h"
#include "wow64_redirection.h"

namespace integration {
namespace {

// Query, set, create subkey, enumerate, read control, in the process's own
// view, where the uninstaller looks for them.
constexpr REGSAM kAccess = KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | READ_CONTROL;
constexpr kv::RegView kView = kv::RegView::native32;
const std::u16string kDefault;

kv::UniqueRegKey create_key(HKEY parent, const std::u16string& name) {
  return kv::reg_create(parent, name, kAccess, kView);
}

std::optional<StoredValue> stored_value(HKEY key, const std::u16string& name) {
  DWORD type = 0;
  std::optional<std::vector<std::uint8_t>> bytes = kv::reg_read_binary(key, name, &type);
  if (!bytes) return std::nullopt;
  return StoredValue{type, std::move(*bytes)};
}

// Sets the key's default value, first keeping the value it replaces, as it
// was stored, under the backup name.
bool set_default(HKEY key, const std::u16string& text, const std::u16string& backup_name) {
  std::optional<StoredValue> old_value = stored_value(key, kDefault);
  if (backup_needed(old_value, text, stored_value(key, backup_name).has_value()))
    kv::reg_write_binary(key, backup_name, old_value->bytes.data(), static_cast<DWORD>(old_value->bytes.size()),
                         old_value->type);
  return kv::reg_write_string(key, kDefault, text) == ERROR_SUCCESS;
}

struct EntryTexts {
  std::u16string extension;
  std::u16string file_type;
  std::u16string description;
  std::u16string verb;
  std::u16string caption;
  std::u16string command;
  std::u16string icon;
};

EntryTexts entry_texts(const setup::Association& entry) {
  EntryTexts t;
  t.extension = extension_key(kv::from_marked(entry.extension));
  t.file_type = kv::from_marked(entry.file_type);
  t.description = kv::from_marked(entry.description);
  t.verb = kv::from_marked(entry.verb);
  t.caption = kv::from_marked(entry.verb_caption);
  t.command = engine::expanded(kv::from_marked(entry.command));
  if (!entry.icon.empty())
    t.icon = engine::make_absolute(engine::expanded(kv::from_marked(entry.icon)), engine::run.paths.install_dir);
  return t;
}

// The file type's description, icon, verb and command; true when the
// command was written.
bool write_file_type(const AssociationPlan& plan, const EntryTexts& t, const std::u16string& backup_name) {
  kv::UniqueRegKey type_key = create_key(HKEY_CLASSES_ROOT, plan.file_type);
  if (!type_key) return false;
  if (plan.set_description) set_default(type_key.get(), t.description, backup_name);
  if (!t.icon.empty())
    if (kv::UniqueRegKey icon = create_key(type_key.get(), u"DefaultIcon")) set_default(icon.get(), t.icon, backup_name);
  kv::UniqueRegKey shell = create_key(type_key.get(), u"shell");
  // Without a verb there is no key for the command.
  if (!shell || t.verb.empty()) return false;
  if (plan.set_default_verb) set_default(shell.get(), t.verb, backup_name);
  kv::UniqueRegKey verb = create_key(shell.get(), t.verb);
  if (!verb) return false;
  set_default(verb.get(), t.caption, backup_name);
  kv::UniqueRegKey command = create_key(verb.get(), u"command");
  return command && set_default(command.get(), t.command, backup_name);
}

void associate(const setup::Association& entry, const std::u16string& backup_name) {
  const EntryTexts t = entry_texts(entry);
  kv::UniqueRegKey extension = extension_opened_only(t.file_type)
                                   ? kv::reg_open(HKEY_CLASSES_ROOT, t.extension, kAccess, kView)
                                   : create_key(HKEY_CLASSES_ROOT, t.extension);
  ExtensionFacts facts;
  if (extension) facts = kv::reg_read_string(extension.get(), kDefault).value_or(u"");
  const AssociationPlan plan =
      plan_association(entry.kind, t.extension, t.file_type, t.verb, !t.description.empty(), facts);
  if (plan.ends) {
    engine::log_wide(plan.log);
    return;
  }

  bool extension_written = false;
  if (plan.set_extension_type) extension_written = set_default(extension.get(), plan.file_type, backup_name);
  if (plan.add_open_with) {
    if (kv::UniqueRegKey open_with = create_key(extension.get(), u"OpenWithProgids"))
      kv::reg_write_string(open_with.get(), plan.file_type, u"");
    engine::log_wide(open_with_log_text(t.extension, t.command));
  }
  extension.reset();

  const bool associated = write_file_type(plan, t, backup_name);
  uninstall::add_association(uninstall::uninstall_data, kv::to_marked(t.extension), kv::to_marked(plan.file_type),
                             kv::to_marked(t.verb), kv::to_marked(t.icon));
  if (!associated)
    engine::error_report_append(association_failed_text(t.extension));
  else if (extension_written)
    engine::log_wide(associated_log_text(t.extension, t.command));
}

}  // namespace

void register_file_associations() {
  const std::vector<setup::Association>& entries = setup::run.settings.associations;
  if (entries.empty() ||
      associations_skipped_when_portable(engine::run.paths.portable, setup::run.installation.head.ProductFlags2))
    return;
  const setup::StringTable& strings = setup::run.strings;
  const std::u16string language = strings.language_count() ? strings.language_name(strings.current_language()) : u"";
  const std::u16string backup_name = backup_value_name(engine::run.paths.product_name);
  kv::CrashInfo crash = kv::crash_guard([&] {
    for (const setup::Association& entry : entries)
      if (!entry.extension.empty() && association_applies(entry.language, language)) associate(entry, backup_name);
  });
  if (crash) engine::error_report_append(u"Crashed while installing associations.\r\n");
  kv::Wow64RedirectionPause pause;
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

}  // namespace integration
