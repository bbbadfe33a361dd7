// Writing the settings stream: the exact inverse of reading it.
#include <string_view>

#include "settings_stream.h"

namespace setup {
namespace {

std::span<const std::uint8_t> as_bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

class FieldWriter {
 public:
  ByteWriter out;
  std::string problem;

  void compact(std::span<const std::uint8_t> bytes, const char* field) {
    if (bytes.size() > kMaxCompactLength) {
      note(field, "is longer than a compact string may be");
      bytes = bytes.first(kMaxCompactLength);
    }
    write_compact(out, bytes);
  }
  void compact(std::string_view text, const char* field) { compact(as_bytes(text), field); }
  void compact(std::u16string_view text, const char* field) { compact(utf16_to_bytes(text), field); }
  void compact(const std::vector<std::uint8_t>& bytes, const char* field) {
    compact(std::span<const std::uint8_t>(bytes), field);
  }

  void sized(LengthField width, std::span<const std::uint8_t> bytes, const char* field) {
    if (bytes.size() > max_sized_length(width)) {
      note(field, "is longer than its length field can count");
      bytes = bytes.first(max_sized_length(width));
    }
    write_sized(out, width, bytes);
  }
  void sized(LengthField width, std::string_view text, const char* field) { sized(width, as_bytes(text), field); }

  // A zero-ended text: an inner zero would end it early.
  void text8(std::string_view text, const char* field) {
    if (text.find('\0') != std::string_view::npos) note(field, "holds a zero byte");
    out.cstring(text.substr(0, text.find('\0')));
  }
  void text16(std::u16string_view text, const char* field) {
    if (text.find(u'\0') != std::u16string_view::npos) note(field, "holds a zero character");
    out.wstring(text.substr(0, text.find(u'\0')));
  }

  void count(std::size_t n, const char* field) {
    if (n > 0x7FFFFFFF) note(field, "has more records than a count can hold");
    out.i32(static_cast<std::int32_t>(n));
  }

  void note(const char* field, const char* what) {
    if (problem.empty()) problem = std::string(field) + " " + what;
  }
};

void write_window_fields(FieldWriter& w, const Settings& s) {
  w.out.u32(s.ProductFlags.low);
  w.out.u32(s.ProductFlags.high);
  w.out.u8(s.automatic_mode_choice);
  w.compact(s.TaskbarText, "TaskbarText");
  w.compact(s.DisplayTitle, "DisplayTitle");
  w.out.f64(s.TitleSize);
  w.out.u32(s.progress_window_position);
}

void write_product(FieldWriter& w, const Settings& s) {
  w.out.u16(s.minimum_display_time);
  w.out.u8(s.ShortcutMode);
  const DateTimeRecord& t = s.uninstaller_file_time;
  for (std::int32_t part : {t.year, t.month, t.day, t.hour, t.minute, t.second}) w.out.i32(part);
  w.compact(s.Publisher, "Publisher");
  w.compact(s.DisplayName, "DisplayName");
  w.compact(s.product_description, "product description");
  w.out.u8(s.Bitness);
  w.out.u8(s.shared_folder_base);
  w.compact(s.SharedPath, "SharedPath");
  w.compact(s.portable_shared_subfolder, "portable shared subfolder");
  w.text16(s.ProductStartMenu, "ProductStartMenu");
  w.compact(s.DisplayVersion, "DisplayVersion");
  w.text16(s.default_installation_folder, "default installation folder");
  w.text16(s.ProductRegistry, "ProductRegistry");
  w.sized(LengthField::u32, utf16_to_bytes(s.registry_entries), "registry entry list");
  w.compact(s.registry_merge_file, "registry merge file");
}

void write_look(FieldWriter& w, const Settings& s) {
  w.out.i32(s.BitmapSize);
  w.out.u32(s.StretchMode);
  w.sized(LengthField::u16, s.link_address, "link address");
  w.count(s.licence_texts.size(), "licence texts");
  for (const std::string& text : s.licence_texts) w.sized(LengthField::u32, text, "licence text");
  w.count(s.readme_texts.size(), "readme texts");
  for (const std::string& text : s.readme_texts) w.sized(LengthField::u32, text, "readme text");
  w.compact(s.UninstallSubdir, "UninstallSubdir");
  w.text8(s.inf_text, "INF text");
  w.compact(s.uninstall_key_name, "uninstall key name");
  w.text8(s.install_path_registry_value, "install-path registry value");
  w.compact(s.header_text, "header text");
  w.out.u8(s.greeting_option);
  w.out.u32(s.TitleColor);
  w.out.u8(s.TitleShadow);
  w.out.u8(s.TitlePosition);
  w.text8(s.TitleFont, "TitleFont");
  w.out.u32(s.TopColor);
  w.out.u32(s.BottomColor);
  w.count(s.background_bitmap.size(), "background bitmap");
  if (!s.background_bitmap.empty()) {
    w.out.bytes(s.background_bitmap);
    w.out.u32(s.background_bitmap_option);
  }
  w.out.u8(s.CopyrightPos);
  if (s.CopyrightPos != 0) {
    w.out.u32(s.CopyrightColor);
    w.out.f64(s.CopyrightSize);
    w.compact(s.CopyrightText, "CopyrightText");
    w.compact(s.CopyrightFont, "CopyrightFont");
  }
}

void write_actions(FieldWriter& w, const Settings& s) {
  if (s.ProductFlags.has_low(flags_low::kUpdateOnly)) {
    w.compact(s.update_only.product_name, "update-only product name");
    w.compact(s.update_only.display_name, "update-only display name");
    w.compact(s.update_only.oldest_version, "update-only oldest version");
  }
  w.compact(s.sound, "sound");
  w.compact(s.DesktopFolder, "DesktopFolder");
  w.sized(LengthField::u32, s.desktop_folder_icon, "desktop folder icon");
  for (const std::string* batch : {&s.pre_installation_batch, &s.post_installation_batch,
                                   &s.installation_exit_batch, &s.UninstallBatch1, &s.UninstallBatch2,
                                   &s.upgrade_batch, &s.reinstall_batch})
    w.compact(*batch, "batch");
  const SystemVersion& v = s.minimum_system_version;
  for (std::uint32_t part : {v.major, v.minor, v.build, v.service_pack_major, v.service_pack_minor}) w.out.u32(part);
  w.out.u32(s.excluded_systems);
  w.out.u8(s.archive_from_file ? 1 : 0);
  w.compact(s.launch_application, "launch application");
  w.compact(s.run_program, "run program");
  w.compact(s.open_document, "open document");
  for (const std::string* address : {&s.start_address, &s.copy_start_address, &s.install_address,
                                     &s.upgrade_address, &s.downgrade_address, &s.reinstall_address,
                                     &s.NotifyURL, &s.link_notification_address})
    w.compact(*address, "notification address");
  w.text8(s.warning_version, "warning version");
  w.sized(LengthField::u8, s.NoDowngradeBelow, "NoDowngradeBelow");
  w.compact(s.installation_password, "installation password");
  w.compact(s.must_uninstall_version, "must-uninstall version");
  w.compact(s.firewall_exceptions, "firewall exception list");
  w.compact(s.AddToPathSubfolder, "AddToPathSubfolder");
  w.out.u64(s.extra_space);
  for (std::uint32_t style : s.page_styles) w.out.u32(style);
  if (s.ProductFlags.has_low(flags_low::kRegisterUninstaller))
    w.sized(LengthField::u32, s.uninstaller_icon, "uninstaller icon");
}

void write_lists(FieldWriter& w, const Settings& s) {
  for (const ConditionalDeletion& d : s.conditional_deletions) {
    if (d.pattern == kConditionalDeletionListEnd)
      w.note("conditional deletion", "has the list's end mark as its pattern");
    w.text8(d.pattern, "conditional deletion pattern");
    w.out.u8(d.comparison);
    w.text8(d.operand, "conditional deletion operand");
    w.out.u8(d.flags);
  }
  w.out.cstring(kConditionalDeletionListEnd);

  w.count(s.associations.size(), "association list");
  for (const Association& a : s.associations) {
    w.out.u32(a.kind);
    for (const std::string* text : {&a.extension, &a.file_type, &a.description, &a.verb, &a.verb_caption, &a.command})
      w.text8(*text, "association text");
    w.text16(a.language, "association language");
    w.text8(a.icon, "association icon");
  }

  w.count(s.shortcuts.size(), "shortcut list");
  for (const ShortcutEntry& e : s.shortcuts) {
    w.compact(e.target, "shortcut target");
    w.compact(e.link_name, "shortcut link name");
    w.text8(e.icon, "shortcut icon");
    w.compact(e.arguments, "shortcut arguments");
    w.text8(e.working_folder, "shortcut working folder");
    w.out.u8(e.on_desktop);
    w.out.u8(e.in_start_menu);
    w.out.u8(e.in_startup);
    w.text8(e.other_folder, "shortcut other folder");
    namespace o = shortcut_options;
    w.out.u8((e.keep_at_uninstall ? o::kKeepAtUninstall : 0) | (e.target_has_variables ? o::kTargetHasVariables : 0) |
             (e.quiet ? o::kQuiet : 0));
    w.out.u8(e.show_mode);
  }

  w.compact(s.root_shortcut_command, "root shortcut command");
  w.compact(s.root_shortcut_name, "root shortcut name");
  w.text16(s.taskbar_pin_command, "taskbar pin command");
  w.text16(s.taskbar_pin_name, "taskbar pin name");

  w.count(s.extra_uninstall_values.size(), "extra uninstall values");
  for (const ExtraUninstallValue& v : s.extra_uninstall_values) {
    w.text8(v.name, "extra uninstall value name");
    w.out.u8(v.kind);
    w.compact(v.value, "extra uninstall value");
  }

  w.sized(LengthField::u16, s.SupportOffer, "SupportOffer");
  w.sized(LengthField::u32, s.product_icon, "product icon");

  for (const CloseRule& c : s.close_rules) {
    if (c.class_pattern == kCloseRuleListEnd) w.note("close rule", "has the list's end mark as its class");
    w.text8(c.class_pattern, "close rule class");
    w.text8(c.title_pattern, "close rule title");
    w.text8(c.display_name, "close rule name");
    w.out.u8(c.close_mode);
    w.out.u8(c.phase_flags);
  }
  w.out.cstring(kCloseRuleListEnd);
}

// String 0 in every language, then string 1 in every language, and so on.
void write_string_table(FieldWriter& w, const Settings& s) {
  const StringTable& table = s.strings;
  if (table.language_count() > 255) w.note("string table", "has more languages than a byte counts");
  w.out.u8(static_cast<std::uint8_t>(table.language_count()));
  w.out.i32(table.string_count());
  for (int j = 0; j < table.language_count(); ++j) w.text16(table.language_name(j), "language name");
  for (int i = 0; i < table.string_count(); ++i)
    for (int j = 0; j < table.language_count(); ++j) w.text16(table.raw(j, i), "string table text");
  w.out.u32(Settings::kEndMarker);
}

}  // namespace

WrittenSettings write_settings(const Settings& settings) {
  FieldWriter w;
  write_window_fields(w, settings);
  write_product(w, settings);
  write_look(w, settings);
  write_actions(w, settings);
  write_lists(w, settings);
  write_string_table(w, settings);
  return {w.out.take(), std::move(w.problem)};
}

}  // namespace setup
