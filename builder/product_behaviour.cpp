// [installation], [shared_folder], [log], [restart], [uninstall], [portable],
// [taskbar_pin] and [desktop_folder]: how the installation run behaves and
// what the uninstaller gets.
#include <chrono>

#include "input_files.h"
#include "kv_core.h"
#include "product_reading.h"
#include "registry_path.h"
#include "settings_stream.h"

namespace builder {
namespace {

using namespace setup;

constexpr std::size_t kMaxListEntries = 1000;

void read_installation(Table& t, Reading& r) {
  Settings& s = r.settings();
  read_named_flags(t, "installation", r.flags);
  // true: the installation folder itself; a text: that folder (relative to
  // the installation folder unless absolute).
  if (const toml::node* n = t.node("add_to_path")) {
    if (const auto* b = n->as_boolean()) {
      r.flags.set(FlagWord::low, flags_low::kAddToPath, b->get());
    } else if (auto v = t.text("add_to_path")) {
      r.flags.set(FlagWord::low, flags_low::kAddToPath, true);
      s.AddToPathSubfolder = utf16(*v);
    }
  }
  if (auto v = t.integer("extra_space", 0, INT64_MAX)) s.extra_space = static_cast<std::uint64_t>(*v);
  if (auto v = t.flag("archive_from_file")) s.archive_from_file = *v;
  s.ShortcutMode =
      static_cast<std::uint8_t>(t.choice("shortcuts", {{"all-users", 1}, {"current-user", 0}}).value_or(1));
  if (auto path = t.file("registry_file")) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (read_file_bytes(*path, bytes, error))
      s.registry_merge_file = decode_text(bytes);
    else
      t.fail("registry_file", error);
    if (s.registry_merge_file.find(u'\0') != std::u16string::npos)
      t.fail("registry_file", "a registry file cannot hold zero characters");
  }
  if (auto v = t.text("install_path_value")) {
    std::size_t last = v->rfind('\\');
    if (!has_registry_root(*v) || last == std::string::npos || last + 1 == v->size())
      t.fail("install_path_value",
             "expected a registry key and value name, \"HKLM\\Software\\Product\\Path\"; the "
             "key begins with " +
                 std::string(kRegistryRootsText));
    s.install_path_registry_value = kv::to_marked(utf16(*v));
  }
  if (auto v = t.text("inf")) s.inf_text = kv::to_marked(utf16(*v));
  // "classic": 1 after every installation, as existing callers expect;
  // "deployment": 0, 3010, 1602 or 1603, which deployment tools read.
  if (auto deployment = t.choice("exit_codes", {{"classic", 0}, {"deployment", 1}}))
    r.flags.set(FlagWord::flags2, flags2::kDeploymentExitCodes, *deployment == 1);
  t.finish();
}

void read_shared_folder(Table& t, Reading& r) {
  Settings& s = r.settings();
  if (auto v = t.choice("base", {{"auto", 0}, {"app-data", 1}, {"common-files-32", 2}, {"common-files-64", 3}}))
    s.shared_folder_base = std::uint8_t(*v);
  // The shared folder's default name: the publisher, else the product.
  s.SharedPath = s.Publisher.empty() ? s.DisplayName : s.Publisher;
  if (auto v = t.text("name")) s.SharedPath = utf16(*v);
  if (auto v = t.text("portable_name")) s.portable_shared_subfolder = utf16(*v);
  t.finish();
}

void read_uninstall_values(Table& u, Reading& r) {
  std::vector<Table> values = u.tables("values");
  if (values.size() > kMaxListEntries)
    u.fail("values", "too many entries: " + std::to_string(values.size()) + ", at most 1000");
  for (Table& t : values) {
    ExtraUninstallValue value;
    if (auto v = t.required_text("name")) {
      if (v->empty() || v->back() == '\\') t.fail("name", "expected a value name (\"subkey\\\\name\" for a subkey)");
      value.name = kv::to_marked(utf16(*v));
    }
    value.kind =
        static_cast<std::uint8_t>(t.choice("kind", {{"string", 1}, {"expandable", 2}, {"number", 4}}).value_or(1));
    if (const toml::node* n = t.node("value")) {
      if (const auto* i = n->as_integer(); i && value.kind == 4) {
        if (i->get() < INT32_MIN || i->get() > UINT32_MAX) t.fail("value", "expected a 32-bit number");
        value.value = kv::to_u16(i->get());
      } else if (auto text = t.text("value"); text && value.kind != 4) {
        value.value = utf16(*text);
      } else if (!r.description.failed()) {
        t.fail("value", value.kind == 4 ? "expected a whole number for kind \"number\"" : "expected a text");
      }
    } else {
      t.fail("value", "missing");
    }
    t.finish();
    r.settings().extra_uninstall_values.push_back(std::move(value));
  }
}

void read_uninstall(Table& t, Reading& r) {
  Settings& s = r.settings();
  read_named_flags(t, "uninstall", r.flags);
  if (auto v = t.text("subfolder")) s.UninstallSubdir = utf16(*v);
  s.uninstall_key_name = s.DisplayName;
  if (auto v = t.text("key_name")) {
    if (v->empty() || v->find('\\') != std::string::npos) t.fail("key_name", "expected a name without backslashes");
    s.uninstall_key_name = utf16(*v);
  }
  if (auto v = binary_file(t, "icon", is_icon_file, "an icon file (.ico)")) s.uninstaller_icon = std::move(*v);
  if (auto v = t.text("support_offer")) {
    within(t, "support_offer", v->size(), 0xFFFF, "bytes");
    s.SupportOffer = *v;
  }
  if (auto v = date_time_record(t, "file_time")) s.uninstaller_file_time = *v;
  read_uninstall_values(t, r);
  t.finish();

  if (!r.flags.has(FlagWord::low, flags_low::kRegisterUninstaller)) {
    for (std::string_view key : {"icon", "start_menu_shortcut", "desktop_shortcut", "folder_shortcut", "values"})
      if (t.has(key)) t.fail(key, "needs an uninstaller (enabled = true)");
    s.uninstaller_icon.clear();
  }
}

// A command line and the link's name, for the root shortcut and the pin.
void read_command_link(Table& t, std::u16string& command, std::u16string& name) {
  if (!t.present()) return;
  if (auto v = t.required_text("command")) {
    if (v->empty()) t.fail("command", "must not be empty");
    command = utf16(*v);
  }
  if (auto v = t.text("name")) name = utf16(*v);
  t.finish();
}

void read_portable(Table& t, Reading& r) {
  read_named_flags(t, "portable", r.flags);
  Table root_shortcut = t.table("root_shortcut");
  read_command_link(root_shortcut, r.settings().root_shortcut_command, r.settings().root_shortcut_name);
  t.finish();
}

void read_desktop_folder(Table& t, Reading& r) {
  Settings& s = r.settings();
  read_named_flags(t, "desktop_folder", r.flags);
  if (auto v = t.text("name")) s.DesktopFolder = utf16(*v);
  if (auto v = binary_file(t, "icon", is_icon_file, "an icon file (.ico)")) s.desktop_folder_icon = std::move(*v);
  t.finish();
}

// A section that holds named flags only.
void read_flags_only(Table& root, std::string_view name, Reading& r) {
  Table t = root.table(name);
  read_named_flags(t, name, r.flags);
  t.finish();
}

}  // namespace

bool has_registry_root(std::string_view path) {
  std::optional<kv::RegistryKeyPath> key = kv::parse_registry_key_path(kv::utf8_to_utf16(path));
  return key && !key->key.empty();
}

std::optional<DateTimeRecord> date_time_record(Table& table, std::string_view key) {
  const toml::node* n = table.node(key);
  if (!n) return std::nullopt;
  DateTimeRecord t;
  if (const auto* d = n->as_date()) {
    t = {d->get().year, d->get().month, d->get().day, 0, 0, 0};
  } else if (const auto* dt = n->as_date_time()) {
    toml::date_time v = dt->get();
    // A written offset is honoured: the record holds UTC.
    std::int64_t minutes = v.offset ? -v.offset->minutes : 0;
    std::int64_t total = v.time.hour * 60 + v.time.minute + minutes;
    int day_shift = total < 0 ? -1 : total >= 24 * 60 ? 1 : 0;
    total -= day_shift * 24 * 60;
    std::chrono::sys_days days =
        std::chrono::sys_days(std::chrono::year_month_day(
            std::chrono::year(v.date.year), std::chrono::month(v.date.month), std::chrono::day(v.date.day))) +
        std::chrono::days(day_shift);
    std::chrono::year_month_day ymd(days);
    t = {int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day())), int(total / 60), int(total % 60),
         v.time.second};
  } else {
    table.fail(key, "expected a date (2024-05-01) or a date and time (2024-05-01T12:00:00Z)");
    return std::nullopt;
  }
  return t;
}

void read_behaviour(Table& root, Reading& r) {
  Table installation = root.table("installation");
  read_installation(installation, r);
  Table shared = root.table("shared_folder");
  read_shared_folder(shared, r);
  read_flags_only(root, "log", r);
  read_flags_only(root, "restart", r);
  Table uninstall = root.table("uninstall");
  read_uninstall(uninstall, r);
  Table portable = root.table("portable");
  read_portable(portable, r);
  Table pin = root.table("taskbar_pin");
  read_command_link(pin, r.settings().taskbar_pin_command, r.settings().taskbar_pin_name);
  Table desktop = root.table("desktop_folder");
  read_desktop_folder(desktop, r);
}

}  // namespace builder
