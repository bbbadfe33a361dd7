#include "uninstall_key.h"

#include <cstdio>
#include <cstdlib>
#include <limits>

#include "text.h"

namespace integration {
namespace {

UninstallValue text_value(std::u16string_view name, std::u16string_view text) {
  UninstallValue v;
  v.name = std::u16string(name);
  v.kind = ValueKind::text;
  v.text = std::u16string(text);
  return v;
}

UninstallValue narrow_value(std::u16string_view name, std::string_view text) {
  UninstallValue v;
  v.name = std::u16string(name);
  v.kind = ValueKind::narrow_text;
  v.narrow = std::string(text);
  return v;
}

UninstallValue number_value(std::u16string_view name, std::uint32_t number) {
  UninstallValue v;
  v.name = std::u16string(name);
  v.kind = ValueKind::number;
  v.number = number;
  return v;
}

UninstallValue removal(std::u16string_view name) {
  UninstallValue v;
  v.name = std::u16string(name);
  v.kind = ValueKind::remove;
  return v;
}

UninstallValue text_or_removal(std::u16string_view name, std::u16string_view text) {
  return text.empty() ? removal(name) : text_value(name, text);
}

UninstallValue narrow_or_removal(std::u16string_view name, std::string_view text) {
  return text.empty() ? removal(name) : narrow_value(name, text);
}

bool space(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

}  // namespace

std::int32_t integer_value(std::u16string_view text) {
  std::size_t i = 0;
  while (i < text.size() && space(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  std::int64_t value = 0;
  constexpr std::int64_t kLimit = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + (text[i] - u'0');
    if (value > kLimit) value = kLimit;  // saturates as the C library's strtol does
  }
  if (negative) return static_cast<std::int32_t>(-value);
  return static_cast<std::int32_t>(std::min<std::int64_t>(value, kLimit - 1));
}

std::optional<std::pair<std::uint32_t, std::uint32_t>> version_major_minor(std::u16string_view version) {
  std::size_t dot = version.find(u'.');
  if (dot == std::u16string_view::npos) return std::nullopt;
  return std::pair{static_cast<std::uint32_t>(integer_value(version.substr(0, dot))),
                   static_cast<std::uint32_t>(integer_value(version.substr(dot + 1)))};
}

std::optional<std::uint32_t> estimated_size(std::uint64_t installed_bytes) {
  std::uint64_t kilobytes = installed_bytes / 1024;
  if (kilobytes == 0 || kilobytes > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  return static_cast<std::uint32_t>(kilobytes);
}

std::u16string install_date_text(const CalendarDate& date) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d", date.year, date.month, date.day);
  return kv::ascii_to_utf16(text);
}

// The fewest significant digits that read back as the same number. (The
// standard library's shortest formatting would add 180 KB of tables to the
// installer for two values.)
std::string shortest_decimal(double value) {
  char text[64];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    if (std::strtod(text, nullptr) == value) break;
  }
  return text;
}

std::string colour_text(std::uint32_t colour) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X%02X", unsigned(colour & 0xFF), unsigned((colour >> 8) & 0xFF),
                unsigned((colour >> 16) & 0xFF));
  return text;
}

std::u16string uninstall_argument(std::u16string_view key_name) {
  return u"/u:\"" + std::u16string(key_name) + u"\"";
}

std::vector<UninstallValue> uninstall_key_values(const setup::Settings& s, const UninstallKeyFacts& facts,
                                                 const std::vector<UninstallValue>& extra) {
  std::vector<UninstallValue> v;
  const std::u16string quoted = u"\"" + facts.uninstaller_path;
  v.push_back(text_value(u"UninstallString", quoted + u"\" " + facts.uninstall_argument));
  v.push_back(text_value(u"QuietUninstallString", quoted + u"\" /a " + facts.uninstall_argument));
  v.push_back(text_value(u"DisplayName", facts.product_name));
  v.push_back(text_value(u"InstallSource", facts.installer_path));
  v.push_back(text_or_removal(u"Publisher", s.Publisher));
  v.push_back(number_value(u"Bitness", s.Bitness == 1 ? 1 : 0));
  // UTF-16 texts of the settings go in as UTF-16 even where the uninstaller
  // reads them as 8-bit text: the system converts them for it, and nothing
  // is lost for the programs list.
  v.push_back(text_or_removal(u"DisplayVersion", s.DisplayVersion));
  v.push_back(text_or_removal(u"NoDowngradeBelow", kv::from_marked(s.NoDowngradeBelow)));
  if (!facts.product_icon_path.empty()) v.push_back(text_value(u"DisplayIcon", facts.product_icon_path));
  if (auto version = version_major_minor(s.DisplayVersion)) {
    v.push_back(number_value(u"VersionMajor", version->first));
    v.push_back(number_value(u"VersionMinor", version->second));
  }
  v.push_back(text_or_removal(u"ProductRegistry", s.ProductRegistry));
  v.push_back(text_or_removal(u"ProductStartMenu", facts.start_menu_folder));
  v.push_back(text_or_removal(u"SharedPath", facts.shared_folder));
  v.push_back(narrow_or_removal(u"ProductFonts", facts.product_fonts));
  v.push_back(narrow_value(u"ProductFlags", std::to_string(s.ProductFlags.as_signed())));
  v.push_back(narrow_value(u"ProductFlags2", std::to_string(facts.flags2)));
  v.push_back(narrow_or_removal(u"UninstallBatch1", s.UninstallBatch1));
  v.push_back(narrow_or_removal(u"UninstallBatch2", s.UninstallBatch2));
  v.push_back(narrow_or_removal(u"SharedFiles", facts.shared_files));
  v.push_back(text_or_removal(u"UninstallSubdir", s.UninstallSubdir));
  v.push_back(text_or_removal(u"AddToPathSubfolder", s.AddToPathSubfolder));
  v.push_back(s.ShortcutMode ? number_value(u"ShortcutMode", s.ShortcutMode) : removal(u"ShortcutMode"));
  v.push_back(narrow_or_removal(u"NotifyURL", s.NotifyURL));
  v.push_back(narrow_or_removal(u"SupportOffer", s.SupportOffer));
  v.push_back(text_or_removal(u"DesktopFolder", facts.desktop_folder));
  if (auto size = estimated_size(facts.installed_bytes))
    v.push_back(number_value(u"EstimatedSize", *size));
  else
    v.push_back(removal(u"EstimatedSize"));
  v.push_back(text_value(u"DisplayTitle", facts.display_title));
  v.push_back(number_value(u"TitleColor", s.TitleColor));
  v.push_back(narrow_value(u"TitleSize", shortest_decimal(s.TitleSize)));
  v.push_back(number_value(u"TopColor", s.TopColor));
  v.push_back(s.MonoColor() ? removal(u"BottomColor") : number_value(u"BottomColor", s.BottomColor));
  v.push_back(number_value(u"MonoColor", s.MonoColor() ? 1 : 0));
  v.push_back(number_value(u"TitleShadow", s.TitleShadow));
  v.push_back(number_value(u"TitlePosition", s.TitlePosition));
  v.push_back(narrow_value(u"TitleFont", s.TitleFont));
  v.push_back(text_value(u"TaskbarText", s.TaskbarText));
  v.push_back(text_value(u"CopyrightText", s.CopyrightText));
  v.push_back(text_value(u"CopyrightFont", s.CopyrightFont));
  v.push_back(narrow_value(u"CopyrightSize", shortest_decimal(s.CopyrightSize)));
  v.push_back(narrow_value(u"CopyrightColor", colour_text(s.CopyrightColor)));
  v.push_back(number_value(u"CopyrightPos", s.CopyrightPos));
  const bool bitmap = s.ProductFlags.has_low(setup::flags_low::kBackgroundBitmap) && !s.background_bitmap.empty();
  constexpr std::uint32_t kNoTilesPerInch = 0xFFFFFFFF;  // -1
  if (bitmap) {
    v.push_back(number_value(u"BitmapSize", static_cast<std::uint32_t>(s.BitmapSize)));
    // The bitmap's drawing option is its tiles-per-inch.
    v.push_back(s.background_bitmap_option == kNoTilesPerInch
                    ? removal(u"BitmapTPI")
                    : number_value(u"BitmapTPI", s.background_bitmap_option));
    v.push_back(number_value(u"StretchMode", s.StretchMode));
  } else {
    v.push_back(removal(u"BitmapSize"));
    v.push_back(removal(u"BitmapTPI"));
    v.push_back(removal(u"StretchMode"));
  }
  v.insert(v.end(), extra.begin(), extra.end());
  v.push_back(text_value(u"InstallLocation", facts.install_folder));
  v.push_back(text_value(u"InstallDate", install_date_text(facts.today)));
  return v;
}

std::optional<std::vector<UninstallValue>> plan_extra_values(
    const std::vector<setup::ExtraUninstallValue>& values,
    const std::function<std::u16string(const std::u16string&)>& expand) {
  std::vector<UninstallValue> planned;
  for (const setup::ExtraUninstallValue& entry : values) {
    std::u16string name = kv::from_marked(entry.name);
    std::u16string subkey;
    std::size_t slash = name.rfind(u'\\');
    if (slash != std::u16string::npos) {
      subkey = name.substr(0, slash);
      name.erase(0, slash + 1);
    }
    std::u16string text = expand(entry.value);
    UninstallValue value;
    switch (entry.kind) {
      case 1: value = text_or_removal(name, text); break;
      case 2:
        value = text_or_removal(name, text);
        if (value.kind == ValueKind::text) value.kind = ValueKind::expand_text;
        break;
      case 4: value = number_value(name, static_cast<std::uint32_t>(integer_value(text))); break;
      default: return std::nullopt;
    }
    value.subkey = std::move(subkey);
    value.author_value = true;
    planned.push_back(std::move(value));
  }
  return planned;
}

std::optional<RegistryValueLocation> registry_value_location(std::u16string_view path) {
  static constexpr struct {
    std::u16string_view long_name, short_name;
    RegistryRoot root;
  } kRoots[] = {
      {u"HKEY_LOCAL_MACHINE", u"HKLM", RegistryRoot::local_machine},
      {u"HKEY_CURRENT_USER", u"HKCU", RegistryRoot::current_user},
      {u"HKEY_CLASSES_ROOT", u"HKCR", RegistryRoot::classes_root},
      {u"HKEY_USERS", u"HKU", RegistryRoot::users},
  };
  if (!path.empty() && path.front() == u'\\') path.remove_prefix(1);  // the wrapped form
  std::size_t root_end = path.find(u'\\');
  if (root_end == std::u16string_view::npos) return std::nullopt;
  std::u16string_view root_name = path.substr(0, root_end);
  std::u16string_view rest = path.substr(root_end + 1);
  for (const auto& root : kRoots) {
    if (!kv::iequals(root_name, root.long_name) && !kv::iequals(root_name, root.short_name)) continue;
    std::size_t last = rest.rfind(u'\\');
    if (last == std::u16string_view::npos) return RegistryValueLocation{root.root, {}, std::u16string(rest)};
    return RegistryValueLocation{root.root, std::u16string(rest.substr(0, last)), std::u16string(rest.substr(last + 1))};
  }
  return std::nullopt;
}

std::u16string uninstall_key_failure_report(bool key_created, bool read_back_matches,
                                            std::u16string_view kept_error_text) {
  if (key_created && read_back_matches) return {};
  std::u16string report;
  if (!kept_error_text.empty()) report = u"System error: " + std::u16string(kept_error_text) + u"\r\n\r\n";
  return report + u"Unable to save the uninstall information to the registry.  Uninstall will not work properly.\r\n\r\n";
}

}  // namespace integration
