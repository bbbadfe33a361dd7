// Reading the settings stream, field by field in its fixed order.
#include <algorithm>
#include <string_view>

#include "settings_stream.h"

namespace setup {
namespace {

namespace err = settings_error;

constexpr int kMaxListRecords = 1000;

class FieldReader {
 public:
  explicit FieldReader(std::span<const std::uint8_t> stream) : in(stream) {}

  ByteReader in;

  // A length fault is remembered and reported once the group of fields it
  // lies in is done, unless an earlier fault came first.
  int error() const { return error_; }
  int stop(int code) const { return error_ ? error_ : code; }

  std::span<const std::uint8_t> compact() {
    std::span<const std::uint8_t> bytes;
    if (!read_compact(in, bytes)) fault();
    return bytes;
  }
  std::u16string compact_utf16() { return utf16_from_bytes(compact()); }
  std::string compact_text8() { return as_text(compact()); }
  std::vector<std::uint8_t> compact_binary() { return as_binary(compact()); }

  std::span<const std::uint8_t> sized(LengthField width) {
    std::span<const std::uint8_t> bytes;
    if (!read_sized(in, width, bytes)) fault();
    return bytes;
  }
  std::string sized_text8(LengthField width) { return as_text(sized(width)); }

  std::string text8() { return std::string(in.cstring()); }
  std::u16string text16() { return in.wstring(); }

  static std::string as_text(std::span<const std::uint8_t> b) { return std::string(b.begin(), b.end()); }
  static std::vector<std::uint8_t> as_binary(std::span<const std::uint8_t> b) { return {b.begin(), b.end()}; }

 private:
  void fault() {
    if (!error_) error_ = err::kDamaged;
  }
  int error_ = 0;
};

// Fields 1 to 6: what the background window needs.
int read_window_fields(FieldReader& r, Settings& s) {
  s.ProductFlags.low = r.in.u32();
  s.ProductFlags.high = r.in.u32();
  s.automatic_mode_choice = r.in.u8();
  s.TaskbarText = r.compact_utf16();
  s.DisplayTitle = r.compact_utf16();
  s.TitleSize = r.in.f64();
  s.progress_window_position = r.in.u32();
  return r.error();
}

// Fields 7 to 22: product identity, folders and registry data.
int read_product(FieldReader& r, Settings& s) {
  s.minimum_display_time = r.in.u16();
  if (s.minimum_display_time > 9999) return r.stop(err::kMinimumDisplayTime);
  s.ShortcutMode = r.in.u8();
  DateTimeRecord& t = s.uninstaller_file_time;
  for (std::int32_t* part : {&t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second}) *part = r.in.i32();
  s.Publisher = r.compact_utf16();
  s.DisplayName = r.compact_utf16();
  s.product_description = r.compact_utf16();
  s.Bitness = r.in.u8();
  s.shared_folder_base = r.in.u8();
  s.SharedPath = r.compact_utf16();
  s.portable_shared_subfolder = r.compact_utf16();
  s.ProductStartMenu = r.text16();
  s.DisplayVersion = r.compact_utf16();
  s.default_installation_folder = r.text16();
  s.ProductRegistry = r.text16();
  s.registry_entries = utf16_from_bytes(r.sized(LengthField::u32));
  s.registry_merge_file = r.compact_utf16();
  return r.error();
}

int read_text_list(FieldReader& r, std::vector<std::string>& texts, int error_code) {
  std::int32_t count = r.in.i32();
  if (count < 0 || count > 20) return r.stop(error_code);
  for (std::int32_t i = 0; i < count; ++i) texts.push_back(r.sized_text8(LengthField::u32));
  return 0;
}

// Fields 23 to 45: the background window's look, documents and wizard texts.
int read_look(FieldReader& r, Settings& s) {
  s.BitmapSize = r.in.i32();
  if (s.BitmapSize < 0 || s.BitmapSize > 100) return r.stop(err::kBitmapSize);
  s.StretchMode = r.in.u32();
  s.link_address = r.sized_text8(LengthField::u16);
  if (int e = read_text_list(r, s.licence_texts, err::kLicenceCount)) return e;
  if (int e = read_text_list(r, s.readme_texts, err::kReadmeCount)) return e;
  s.UninstallSubdir = r.compact_utf16();
  s.inf_text = r.text8();
  s.uninstall_key_name = r.compact_utf16();
  s.install_path_registry_value = r.text8();
  s.header_text = r.compact_utf16();
  s.greeting_option = r.in.u8();
  s.TitleColor = r.in.u32();
  s.TitleShadow = r.in.u8();
  s.TitlePosition = r.in.u8();
  s.TitleFont = r.text8();
  s.TopColor = r.in.u32();
  s.BottomColor = r.in.u32();
  std::int32_t bitmap_size = r.in.i32();
  if (bitmap_size > 0) {
    s.background_bitmap = FieldReader::as_binary(r.in.bytes(std::size_t(bitmap_size)));
    s.background_bitmap_option = r.in.u32();
  }
  s.CopyrightPos = r.in.u8();
  if (s.CopyrightPos != 0) {
    s.CopyrightColor = r.in.u32();
    s.CopyrightSize = r.in.f64();
    s.CopyrightText = r.compact_utf16();
    s.CopyrightFont = r.compact_utf16();
  }
  return r.error();
}

// Fields 46 to 74: batches, system requirements, addresses and the rest.
int read_actions(FieldReader& r, Settings& s) {
  if (s.ProductFlags.has_low(flags_low::kUpdateOnly)) {
    s.update_only.product_name = r.compact_utf16();
    s.update_only.display_name = r.compact_utf16();
    s.update_only.oldest_version = r.compact_utf16();
  }
  s.sound = r.compact_binary();
  s.DesktopFolder = r.compact_utf16();
  s.desktop_folder_icon = FieldReader::as_binary(r.sized(LengthField::u32));
  for (std::string* batch : {&s.pre_installation_batch, &s.post_installation_batch, &s.installation_exit_batch,
                             &s.UninstallBatch1, &s.UninstallBatch2, &s.upgrade_batch, &s.reinstall_batch})
    *batch = r.compact_text8();
  SystemVersion& v = s.minimum_system_version;
  for (std::uint32_t* part : {&v.major, &v.minor, &v.build, &v.service_pack_major, &v.service_pack_minor})
    *part = r.in.u32();
  s.excluded_systems = r.in.u32();
  s.archive_from_file = r.in.u8() != 0;
  s.launch_application = r.compact_utf16();
  s.run_program = r.compact_utf16();
  s.open_document = r.compact_utf16();
  for (std::string* address : {&s.start_address, &s.copy_start_address, &s.install_address, &s.upgrade_address,
                               &s.downgrade_address, &s.reinstall_address, &s.NotifyURL,
                               &s.link_notification_address})
    *address = r.compact_text8();
  s.warning_version = r.text8();
  s.NoDowngradeBelow = r.sized_text8(LengthField::u8);
  s.installation_password = r.compact_utf16();
  s.must_uninstall_version = r.compact_utf16();
  s.firewall_exceptions = r.compact_text8();
  s.AddToPathSubfolder = r.compact_utf16();
  s.extra_space = r.in.u64();
  for (std::uint32_t& style : s.page_styles) style = r.in.u32();
  if (s.ProductFlags.has_low(flags_low::kRegisterUninstaller))
    s.uninstaller_icon = FieldReader::as_binary(r.sized(LengthField::u32));
  return r.error();
}

int read_conditional_deletions(FieldReader& r, Settings& s) {
  for (;;) {
    std::string pattern = r.text8();
    if (pattern == kConditionalDeletionListEnd) return 0;
    if (s.conditional_deletions.size() == kMaxListRecords) return r.stop(err::kConditionalDeletionCount);
    ConditionalDeletion& d = s.conditional_deletions.emplace_back();
    d.pattern = std::move(pattern);
    d.comparison = r.in.u8();
    d.operand = r.text8();
    d.flags = r.in.u8();
  }
}

// An i32 count from 0 to 1,000, or `error_code`.
int read_count(FieldReader& r, std::int32_t& count, int error_code) {
  count = r.in.i32();
  return count < 0 || count > kMaxListRecords ? r.stop(error_code) : 0;
}

int read_associations(FieldReader& r, Settings& s) {
  std::int32_t count;
  if (int e = read_count(r, count, err::kAssociationCount)) return e;
  for (std::int32_t i = 0; i < count; ++i) {
    Association& a = s.associations.emplace_back();
    a.kind = r.in.u32();
    for (std::string* text : {&a.extension, &a.file_type, &a.description, &a.verb, &a.verb_caption, &a.command})
      *text = r.text8();
    a.language = r.text16();
    a.icon = r.text8();
  }
  return 0;
}

int read_shortcuts(FieldReader& r, Settings& s) {
  std::int32_t count;
  if (int e = read_count(r, count, err::kShortcutCount)) return e;
  for (std::int32_t i = 0; i < count && !r.error(); ++i) {
    ShortcutEntry& e = s.shortcuts.emplace_back();
    e.target = r.compact_utf16();
    e.link_name = r.compact_utf16();
    e.icon = r.text8();
    e.arguments = r.compact_utf16();
    e.working_folder = r.text8();
    e.on_desktop = r.in.u8() != 0;
    e.in_start_menu = r.in.u8() != 0;
    e.in_startup = r.in.u8() != 0;
    e.other_folder = r.text8();
    std::uint8_t options = r.in.u8();
    e.keep_at_uninstall = (options & shortcut_options::kKeepAtUninstall) != 0;
    e.target_has_variables = (options & shortcut_options::kTargetHasVariables) != 0;
    e.quiet = (options & shortcut_options::kQuiet) != 0;
    e.show_mode = r.in.u8();
  }
  return r.error();
}

int read_extra_values(FieldReader& r, Settings& s) {
  std::int32_t count;
  if (int e = read_count(r, count, err::kExtraValueCount)) return e;
  for (std::int32_t i = 0; i < count && !r.error(); ++i) {
    ExtraUninstallValue& v = s.extra_uninstall_values.emplace_back();
    v.name = r.text8();
    v.kind = r.in.u8();
    v.value = r.compact_utf16();
  }
  return r.error();
}

int read_close_rules(FieldReader& r, Settings& s) {
  for (;;) {
    std::string class_pattern = r.text8();
    if (class_pattern == kCloseRuleListEnd) return 0;
    if (s.close_rules.size() == kMaxListRecords) return r.stop(err::kCloseRuleCount);
    CloseRule& c = s.close_rules.emplace_back();
    c.class_pattern = std::move(class_pattern);
    c.title_pattern = r.text8();
    c.display_name = r.text8();
    c.close_mode = r.in.u8();
    c.phase_flags = r.in.u8();
  }
}

// Fields 75 to 82.
int read_lists(FieldReader& r, Settings& s) {
  if (int e = read_conditional_deletions(r, s)) return e;
  if (int e = read_associations(r, s)) return e;
  if (int e = read_shortcuts(r, s)) return e;
  s.root_shortcut_command = r.compact_utf16();
  s.root_shortcut_name = r.compact_utf16();
  s.taskbar_pin_command = r.text16();
  s.taskbar_pin_name = r.text16();
  if (int e = read_extra_values(r, s)) return e;
  s.SupportOffer = r.sized_text8(LengthField::u16);
  s.product_icon = FieldReader::as_binary(r.sized(LengthField::u32));
  if (int e = read_close_rules(r, s)) return e;
  return r.error();
}

// Fields 83 to 87. The stream holds string 0 in every language, then string 1
// in every language, and so on; the table keeps each language's strings
// together.
int read_string_table(FieldReader& r, Settings& s) {
  int language_count = r.in.u8();
  if (language_count < 1 || language_count > 200) return err::kLanguageCount;
  std::int32_t string_count = r.in.i32();
  if (string_count < 1 || string_count > 10000) return err::kStringCount;
  std::vector<std::u16string> languages(language_count);
  for (std::u16string& name : languages) name = r.text16();
  const std::size_t total = std::size_t(language_count) * std::size_t(string_count);
  std::vector<std::u16string> in_stream_order;
  // Every text takes at least its two-byte end, so a short stream cannot make
  // the table grow large.
  in_stream_order.reserve(std::min(total, r.in.remaining() / 2));
  for (std::size_t k = 0; k < total; ++k) {
    // Past the end every text and the end marker read as zeros: the marker
    // check would fail anyway, so the rest is not worth reading.
    if (r.in.overran()) return err::kDamaged;
    in_stream_order.push_back(normalise_line_breaks(r.text16()));
  }
  if (r.in.u32() != Settings::kEndMarker) return err::kDamaged;
  std::vector<std::u16string> by_language(total);
  for (std::size_t k = 0; k < total; ++k) {
    std::size_t string = k / std::size_t(language_count), language = k % std::size_t(language_count);
    by_language[language * std::size_t(string_count) + string] = std::move(in_stream_order[k]);
  }
  s.strings.assign(std::move(languages), string_count, std::move(by_language));
  return 0;
}

}  // namespace

int read_settings(std::span<const std::uint8_t> stream, Settings& out, const SettingsHook& after_field_6) {
  out = Settings{};
  FieldReader r(stream);
  if (int e = read_window_fields(r, out)) return e;
  if (after_field_6)
    if (int e = after_field_6(out)) return e;
  for (int (*group)(FieldReader&, Settings&) : {read_product, read_look, read_actions, read_lists, read_string_table})
    if (int e = group(r, out)) return e;
  return 0;
}

}  // namespace setup
