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

std::u16string uninstall_key_name(const setup::Settings& settings, std::u16string_view product_name) {
  return settings.uninstall_key_name.empty() ? std::u16string(product_name) : settings.uninstall_key_name;
}

std::u16string uninstall_key_path(std::u16string_view key_name) {
  return std::u16string(kUninstallKeyRoot) + u"\\" + std::u16string(key_name);
}

std::u16string uninstall_argument(std::u16string_view key_name) {
  return u"/u:\"" + std::u16string(key_name) + u"\"";
}

std::vector<UninstallValue> uninstall_key_values(const setup::Settings& s, const UninstallKeyFacts& facts,
                                                 const std::vector<UninstallValue>& extra) {
  std::vector<UninstallValue> v;
  const std::u16string quoted = u"\"" + facts.uninstaller_path;
  v.push_back(text_value(key_value::kUninstallString, quoted + u"\" " + facts.uninstall_argument));
  v.push_back(text_value(key_value::kQuietUninstallString, quoted + u"\" /a " + facts.uninstall_argument));
  v.push_back(text_value(key_value::kDisplayName, facts.product_name));
  v.push_back(text_value(key_value::kInstallSource, facts.installer_path));
  v.push_back(text_or_removal(key_value::kPublisher, s.Publisher));
  v.push_back(number_value(key_value::kBitness, s.Bitness == 1 ? 1 : 0));
  // UTF-16 texts of the settings go in as UTF-16 even where the uninstaller
  // reads them as 8-bit text: the system converts them for it, and nothing
  // is lost for the programs list.
  v.push_back(text_or_removal(key_value::kDisplayVersion, s.DisplayVersion));
  v.push_back(text_or_removal(key_value::kNoDowngradeBelow, kv::from_marked(s.NoDowngradeBelow)));
  if (!facts.product_icon_path.empty()) v.push_back(text_value(key_value::kDisplayIcon, facts.product_icon_path));
  if (auto version = version_major_minor(s.DisplayVersion)) {
    v.push_back(number_value(key_value::kVersionMajor, version->first));
    v.push_back(number_value(key_value::kVersionMinor, version->second));
  }
  v.push_back(text_or_removal(key_value::kProductRegistry, s.ProductRegistry));
  v.push_back(text_or_removal(key_value::kProductStartMenu, facts.start_menu_folder));
  v.push_back(text_or_removal(key_value::kSharedPath, facts.shared_folder));
  v.push_back(narrow_or_removal(key_value::kProductFonts, facts.product_fonts));
  v.push_back(narrow_value(key_value::kProductFlags, std::to_string(s.ProductFlags.as_signed())));
  v.push_back(narrow_value(key_value::kProductFlags2, std::to_string(facts.flags2)));
  v.push_back(narrow_or_removal(key_value::kUninstallBatch1, s.UninstallBatch1));
  v.push_back(narrow_or_removal(key_value::kUninstallBatch2, s.UninstallBatch2));
  v.push_back(narrow_or_removal(key_value::kSharedFiles, facts.shared_files));
  v.push_back(text_or_removal(key_value::kUninstallSubdir, s.UninstallSubdir));
  v.push_back(text_or_removal(key_value::kAddToPathSubfolder, s.AddToPathSubfolder));
  v.push_back(s.ShortcutMode ? number_value(key_value::kShortcutMode, s.ShortcutMode) : removal(key_value::kShortcutMode));
  v.push_back(narrow_or_removal(key_value::kNotifyURL, s.NotifyURL));
  v.push_back(narrow_or_removal(key_value::kSupportOffer, s.SupportOffer));
  v.push_back(text_or_removal(key_value::kDesktopFolder, facts.desktop_folder));
  if (auto size = estimated_size(facts.installed_bytes))
    v.push_back(number_value(key_value::kEstimatedSize, *size));
  else
    v.push_back(removal(key_value::kEstimatedSize));
  v.push_back(text_value(key_value::kDisplayTitle, facts.display_title));
  v.push_back(number_value(key_value::kTitleColor, s.TitleColor));
  v.push_back(narrow_value(key_value::kTitleSize, shortest_decimal(s.TitleSize)));
  v.push_back(number_value(key_value::kTopColor, s.TopColor));
  v.push_back(s.MonoColor() ? removal(key_value::kBottomColor) : number_value(key_value::kBottomColor, s.BottomColor));
  v.push_back(number_value(key_value::kMonoColor, s.MonoColor() ? 1 : 0));
  v.push_back(number_value(key_value::kTitleShadow, s.TitleShadow));
  v.push_back(number_value(key_value::kTitlePosition, s.TitlePosition));
  v.push_back(narrow_value(key_value::kTitleFont, s.TitleFont));
  v.push_back(text_value(key_value::kTaskbarText, s.TaskbarText));
  v.push_back(text_value(key_value::kCopyrightText, s.CopyrightText));
  v.push_back(text_value(key_value::kCopyrightFont, s.CopyrightFont));
  v.push_back(narrow_value(key_value::kCopyrightSize, shortest_decimal(s.CopyrightSize)));
  v.push_back(narrow_value(key_value::kCopyrightColor, colour_text(s.CopyrightColor)));
  v.push_back(number_value(key_value::kCopyrightPos, s.CopyrightPos));
  const bool bitmap = s.ProductFlags.has_low(setup::flags_low::kBackgroundBitmap) && !s.background_bitmap.empty();
  constexpr std::uint32_t kNoTilesPerInch = 0xFFFFFFFF;  // -1
  if (bitmap) {
    v.push_back(number_value(key_value::kBitmapSize, static_cast<std::uint32_t>(s.BitmapSize)));
    // The bitmap's drawing option is its tiles-per-inch.
    v.push_back(s.background_bitmap_option == kNoTilesPerInch
                    ? removal(key_value::kBitmapTPI)
                    : number_value(key_value::kBitmapTPI, s.background_bitmap_option));
    v.push_back(number_value(key_value::kStretchMode, s.StretchMode));
  } else {
    v.push_back(removal(key_value::kBitmapSize));
    v.push_back(removal(key_value::kBitmapTPI));
    v.push_back(removal(key_value::kStretchMode));
  }
  v.insert(v.end(), extra.begin(), extra.end());
  v.push_back(text_value(key_value::kInstallLocation, facts.install_folder));
  v.push_back(text_value(key_value::kInstallDate, install_date_text(facts.today)));
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

std::u16string uninstall_key_failure_report(bool key_created, bool read_back_matches,
                                            std::u16string_view kept_error_text) {
  if (key_created && read_back_matches) return {};
  std::u16string report;
  if (!kept_error_text.empty()) report = u"System error: " + std::u16string(kept_error_text) + u"\r\n\r\n";
  return report + u"Unable to save the uninstall information to the registry.  Uninstall will not work properly.\r\n\r\n";
}

}  // namespace integration
