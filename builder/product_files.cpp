// [[files]]: the product's files, by path or pattern, with where each goes
// and how the installer treats it.
#include <chrono>

#include "input_files.h"
#include "kv_core.h"
#include "product_reading.h"
#include "source_glob.h"
#include "utf8_paths.h"
#include "version_resource.h"

namespace builder {
namespace {

using namespace setup;

// File entry kinds and their names in the description.
using namespace setup::file_kind;
const std::initializer_list<Choice> kKinds = {{"file", kPlain},
                                              {"shared", kShared},
                                              {"font", kFont},
                                              {"startup", kStartup},
                                              {"system", kSystem},
                                              {"com-server", kComServer},
                                              {"type-library", kTypeLibrary},
                                              {"versioned", kVersioned},
                                              {"inf-driver", kDriverInf},
                                              {"msi-package", kPackage},
                                              {"control-panel", kApplet}};


const std::initializer_list<Choice> kOverwriteModes = {
    {"normal", 0}, {"skip", 1}, {"only-existing", 2}, {"only-missing", 3}, {"unless-newer", 4}};

const std::initializer_list<Choice> kAttributes = {{"read-only", 0x1}, {"hidden", 0x2},      {"system", 0x4},
                                                   {"archive", 0x20},  {"temporary", 0x100}, {"offline", 0x1000}};

bool versioned(std::uint32_t kind) { return kind >= kSystem && kind <= kVersioned; }

DateTimeRecord utc_time_of(const std::filesystem::path& path) {
  std::error_code ec;
  auto when = std::filesystem::last_write_time(path, ec);
  DateTimeRecord t;
  if (ec) return t;
  auto system = std::chrono::file_clock::to_sys(when);
  auto days = std::chrono::floor<std::chrono::days>(system);
  std::chrono::year_month_day ymd(days);
  std::chrono::hh_mm_ss hms(std::chrono::floor<std::chrono::seconds>(system - days));
  t = {int(ymd.year()),          int(unsigned(ymd.month())), int(unsigned(ymd.day())),
       int(hms.hours().count()), int(hms.minutes().count()), int(hms.seconds().count())};
  return t;
}

std::string stem_of(const std::filesystem::path& file) { return path_to_utf8(file.stem()); }

// The description's destination with backslashes only.
std::string windows_separators(std::string text) {
  for (char& c : text)
    if (c == '/') c = '\\';
  return text;
}

// Keys that only some kinds use.
struct KindKey {
  std::string_view key;
  bool (*allowed)(std::uint32_t kind);
  std::string_view kinds;
};
constexpr KindKey kKindKeys[] = {
    {"version", [](std::uint32_t k) { return versioned(k); }, "system, com-server, type-library and versioned"},
    {"font_title", [](std::uint32_t k) { return k == kFont; }, "font"},
    {"display_name", [](std::uint32_t k) { return k == kApplet; }, "control-panel"},
    {"applet_class", [](std::uint32_t k) { return k == kApplet; }, "control-panel"},
    {"arguments", [](std::uint32_t k) { return k == kApplet; }, "control-panel"},
    {"ui_level", [](std::uint32_t k) { return k == kPackage; }, "msi-package"},
    {"uninstall_package", [](std::uint32_t k) { return k == kPackage; }, "msi-package"},
    {"shortcut", [](std::uint32_t k) { return k == kPlain || k == kStartup; }, "file and startup"},
};

// What every file of one [[files]] table shares.
struct FileRule {
  FileEntry entry;
  std::optional<std::string> destination;
  std::optional<DateTimeRecord> time;
  bool version_given = false;
  bool label_given = false;
};

void read_shortcut(Table& f, FileRule& rule) {
  Table s = f.table("shortcut");
  if (!s.present()) return;
  bool desktop = s.flag("desktop").value_or(false), start_menu = s.flag("start_menu").value_or(false);
  if (rule.entry.kind == kPlain && !desktop && !start_menu)
    s.fail("", "expected desktop = true or start_menu = true (or both)");
  if (desktop) rule.entry.flags |= entry_flags::kDesktopShortcut;
  if (start_menu) rule.entry.flags |= entry_flags::kStartMenuShortcut;
  if (auto v = s.text("name")) {
    rule.entry.label = *v;
    rule.label_given = true;
  }
  if (auto v = s.text("icon")) rule.entry.extra_1 = kv::to_marked(utf16(*v));
  if (auto v = s.text("arguments")) rule.entry.parameter_text = windows_1252(s, "arguments", utf16(*v)).value_or("");
  if (auto v = s.text("working_folder")) rule.entry.extra_2 = kv::to_marked(utf16(*v));
  if (!rule.entry.has_extra_1() && s.has("icon"))
    s.fail("icon", "a startup shortcut's icon needs desktop or start_menu as well");
  s.finish();
}

FileRule read_rule(Table& f) {
  FileRule rule;
  FileEntry& e = rule.entry;
  e.kind = static_cast<std::uint32_t>(f.choice("kind", kKinds, true).value_or(kPlain));
  for (const KindKey& k : kKindKeys)
    if (f.has(k.key) && !k.allowed(e.kind)) f.fail(k.key, "is used only by files of kind " + std::string(k.kinds));
  rule.destination = f.text("destination");
  // Modes 5 to 7 have no names of their own (5 skips like 1, 6 and 7 act like 0).
  const toml::node* overwrite = f.node("overwrite");
  std::int64_t mode = overwrite && overwrite->is_integer() ? f.integer("overwrite", 0, 7).value_or(0)
                                                           : f.choice("overwrite", kOverwriteModes).value_or(0);
  e.flags |= static_cast<std::uint32_t>(mode) << entry_flags::kModeShift;
  if (f.flag("never_uninstall").value_or(false)) e.flags |= entry_flags::kNeverUninstall;
  if (f.flag("to_uninstall_folder").value_or(false)) e.flags |= entry_flags::kInUninstallFolder;
  if (auto list = f.choices("attributes", kAttributes)) {
    e.attributes = 0;
    for (std::int64_t bit : *list) e.attributes |= static_cast<std::uint32_t>(bit);
  }
  rule.time = date_time_record(f, "time");
  if (auto v = f.text("version")) {
    e.label = *v;
    rule.version_given = true;
    if (v->empty()) f.fail("version", "must not be empty (leave it out to read the file's own version)");
  }
  if (auto v = f.text("font_title")) {
    e.label = *v;
    rule.label_given = true;
  }
  if (auto v = f.text("display_name")) {
    e.label = *v;
    rule.label_given = true;
  }
  if (e.kind == kApplet) {
    // The applet's keys are named after its class, and the uninstaller
    // removes them with all they hold.
    if (auto v = f.required_text("applet_class")) {
      if (v->empty() || v->find('\\') != std::string::npos)
        f.fail("applet_class", "expected a class identifier such as \"{...}\" (not empty, without backslashes)");
      e.extra_2 = kv::to_marked(utf16(*v));
    }
  }
  if (auto v = f.text("arguments")) e.parameter_text = windows_1252(f, "arguments", utf16(*v)).value_or("");
  if (e.kind == kPackage) {
    e.package_ui_level = static_cast<std::int32_t>(f.integer("ui_level", 0, 5).value_or(3));
    if (f.flag("uninstall_package").value_or(true)) e.flags |= entry_flags::kRemovePackage;
  }
  read_shortcut(f, rule);
  if (rule.destination && (e.flags & entry_flags::kInUninstallFolder))
    f.fail("to_uninstall_folder", "cannot be used together with destination");
  return rule;
}

// One matched file's entry: its name, where it goes, its time and label.
bool place(Table& f, const FileRule& rule, const SourceMatch& match, std::size_t match_count, PackedFile& out) {
  FileEntry& e = out.entry;
  e = rule.entry;
  out.source = match.file;
  std::u16string name = utf16(path_to_utf8(match.file.filename()));
  std::u16string subfolder = utf16(match.subfolder);
  if (!rule.destination) {
    // The kind's own folder, keeping the pattern's subfolders.
    e.target_name = kv::to_marked(subfolder.empty() ? name : subfolder + u"\\" + name);
  } else {
    std::u16string destination = utf16(windows_separators(*rule.destination));
    bool folder = !destination.empty() && destination.back() == u'\\';
    if (!folder && match_count > 1) {
      f.fail("destination", "names a single file but the source matches " + std::to_string(match_count) +
                                " files; end it with a backslash to name a folder");
      return false;
    }
    if (destination.empty()) {
      f.fail("destination", "must not be empty");
      return false;
    }
    if (folder) {
      // The installer appends the entry's name to a folder ending in "\".
      e.wide_name = subfolder.empty() ? destination : destination + subfolder + u"\\";
      e.target_name = kv::to_marked(name);
    } else if (destination.find(u'\\') == std::u16string::npos) {
      // A new name in the kind's own folder.
      e.target_name = kv::to_marked(destination);
    } else {
      e.wide_name = destination;
      e.target_name = kv::to_marked(destination.substr(destination.rfind(u'\\') + 1));
    }
  }
  e.time = rule.time ? *rule.time : utc_time_of(match.file);

  std::error_code ec;
  std::uintmax_t size = std::filesystem::file_size(match.file, ec);
  if (ec || size > static_cast<std::uintmax_t>(kMaxFileDataSize)) {
    f.fail("source", path_to_utf8(match.file) + (ec ? ": cannot read its size"
                                                    : ": larger than 1 GB, the most a "
                                                      "file entry can hold"));
    return false;
  }
  if (versioned(e.kind) && !rule.version_given) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!read_file_bytes(match.file, bytes, error)) {
      f.fail("source", error);
      return false;
    }
    if (auto version = file_version_text(bytes)) e.label = kv::utf16_to_utf8(*version);
  }
  bool shortcut = e.kind == kStartup || (e.kind == kPlain && e.has_extra_1());
  if (shortcut && !rule.label_given) e.label = stem_of(match.file);
  if (e.kind == kFont && !rule.label_given) e.label = stem_of(match.file);
  return true;
}

}  // namespace

void read_files(Table& root, Reading& r) {
  for (Table& f : root.tables("files")) {
    std::optional<std::string> source = f.required_text("source");
    FileRule rule = read_rule(f);
    f.finish();
    if (!source || r.description.failed()) continue;
    std::vector<SourceMatch> matches = expand_source(r.description.base(), *source);
    if (matches.empty()) {
      f.fail("source", has_wildcards(*source) ? "no file matches " + *source
                                              : "no such file: " + path_to_utf8(r.description.resolve(*source)));
      continue;
    }
    if ((rule.entry.flags & (entry_flags::kDesktopShortcut | entry_flags::kStartMenuShortcut)) && matches.size() > 1 && rule.label_given)
      f.fail("shortcut", "a shortcut name needs a source that names one file");
    for (const SourceMatch& match : matches) {
      PackedFile packed;
      if (!place(f, rule, match, matches.size(), packed)) break;
      r.product.files.push_back(std::move(packed));
    }
  }
}

}  // namespace builder
