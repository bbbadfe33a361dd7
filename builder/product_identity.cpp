// [product], [requirements], [existing] and [update_only]: what the product
// is, where it may be installed and how it meets an earlier installation.
#include <charconv>

#include "input_files.h"
#include "kv_core.h"
#include "product_reading.h"

namespace builder {
namespace {

using namespace setup;

// Named Windows versions for minimum_windows: major, minor, build.
struct NamedWindows {
  std::string_view name;
  SystemVersion version;
};
constexpr NamedWindows kWindowsVersions[] = {
    {"xp", {5, 1, 2600, 0, 0}},  {"vista", {6, 0, 6000, 0, 0}}, {"7", {6, 1, 7600, 0, 0}},    {"8", {6, 2, 9200, 0, 0}},
    {"8.1", {6, 3, 9600, 0, 0}}, {"10", {10, 0, 10240, 0, 0}},  {"11", {10, 0, 22000, 0, 0}},
};

// "6.1", "6.1.7601": up to `count` numbers separated by full stops.
bool parse_numbers(std::string_view text, std::uint32_t* out, int count) {
  int n = 0;
  while (n < count) {
    std::uint32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data()) return false;
    out[n++] = value;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    if (text.empty()) return true;
    if (text[0] != '.') return false;
    text.remove_prefix(1);
  }
  return false;
}

void read_requirements(Table& t, Reading& r) {
  Settings& s = r.settings();
  if (auto v = t.choice("bitness", {{"any", 0}, {"64-bit", 1}, {"32-bit-only", 2}})) s.Bitness = std::uint8_t(*v);
  if (auto v = t.text("minimum_windows")) {
    bool ok = false;
    for (const NamedWindows& w : kWindowsVersions)
      if (w.name == *v) {
        s.minimum_system_version = w.version;
        ok = true;
      }
    std::uint32_t numbers[3] = {};
    if (!ok && parse_numbers(*v, numbers, 3) && v->find('.') != std::string::npos) {
      s.minimum_system_version.major = numbers[0];
      s.minimum_system_version.minor = numbers[1];
      s.minimum_system_version.build = numbers[2];
      ok = true;
    }
    if (!ok)
      t.fail("minimum_windows",
             "expected \"major.minor\" or \"major.minor.build\", or one of \"xp\", \"vista\", "
             "\"7\", \"8\", \"8.1\", \"10\" or \"11\"");
  }
  if (auto v = t.text("minimum_service_pack")) {
    std::uint32_t numbers[2] = {};
    if (!parse_numbers(*v, numbers, 2)) t.fail("minimum_service_pack", "expected \"major\" or \"major.minor\"");
    s.minimum_system_version.service_pack_major = numbers[0];
    s.minimum_system_version.service_pack_minor = numbers[1];
    if (s.minimum_system_version.major == 0) t.fail("minimum_service_pack", "needs minimum_windows");
  }
  using namespace system_family;
  if (auto list = t.choices("excluded_windows", {{"9x", kWindows9x},
                                                 {"nt4", kWindowsNT4},
                                                 {"2000", kWindows2000},
                                                 {"xp", kWindowsXP},
                                                 {"server-2003", kServer2003},
                                                 {"vista", kWindowsVista},
                                                 {"server-2008", kServer2008},
                                                 {"7", kWindows7},
                                                 {"8", kWindows8},
                                                 {"8.1", kWindows81},
                                                 {"server-2012", kServer2012},
                                                 {"10", kWindows10},
                                                 {"11", kWindows11},
                                                 {"server-2016", kServer2016}}))
    for (std::int64_t bit : *list) s.excluded_systems |= static_cast<std::uint32_t>(bit);
  t.finish();
}

// A version text the installer compares: plain ASCII, no line breaks.
std::optional<std::string> version_text(Table& t, std::string_view key, std::size_t max = 0x40000000) {
  std::optional<std::string> v = t.text(key);
  if (!v) return std::nullopt;
  if (v->empty() || v->find_first_of("\r\n") != std::string::npos) {
    t.fail(key, "expected a version such as \"2.1\"");
    return std::nullopt;
  }
  if (!ascii(t, key, *v) || !within(t, key, v->size(), max, "characters")) return std::nullopt;
  return v;
}

void read_existing(Table& t, Reading& r) {
  Settings& s = r.settings();
  read_named_flags(t, "existing", r.flags);
  // true: any installed version must be removed first; a version: only
  // versions older than it.
  if (const toml::node* n = t.node("must_uninstall")) {
    if (const auto* b = n->as_boolean()) {
      r.flags.set(FlagWord::low, flags_low::kMustUninstallOlder, b->get());
    } else if (auto v = version_text(t, "must_uninstall")) {
      r.flags.set(FlagWord::low, flags_low::kMustUninstallOlder, true);
      s.must_uninstall_version = utf16(*v);
    }
  }
  if (auto v = version_text(t, "warn_below")) {
    r.flags.set(FlagWord::high, flags_high::kWarnOldVersions, true);
    s.warning_version = *v;
  }
  if (auto v = version_text(t, "no_downgrade_below", 255)) s.NoDowngradeBelow = *v;
  t.finish();
}

void read_update_only(Table& t, Reading& r) {
  if (!t.present()) return;
  Settings& s = r.settings();
  r.flags.set(FlagWord::low, flags_low::kUpdateOnly, true);
  if (auto v = t.required_text("product")) s.update_only.product_name = utf16(*v);
  if (auto v = t.text("display_name")) s.update_only.display_name = utf16(*v);
  if (auto v = version_text(t, "oldest_version")) s.update_only.oldest_version = utf16(*v);
  if (s.update_only.display_name.empty()) s.update_only.display_name = s.update_only.product_name;
  t.finish();
}

}  // namespace

namespace {

// Letters, digits and "-" of a name, for a package identifier's parts.
std::string identifier_part(std::u16string_view name) {
  std::string part;
  for (char16_t c : name)
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-')
      part += static_cast<char>(c);
  return part.substr(0, 32);
}

// Two to eight names of 1 to 32 characters joined by ".", none of them
// holding blanks, controls or the characters a file name cannot hold.
bool valid_identifier(std::string_view id) {
  int names = 0;
  for (std::size_t start = 0;;) {
    const std::size_t dot = std::min(id.find('.', start), id.size());
    const std::string_view name = id.substr(start, dot - start);
    if (name.empty() || name.size() > 32) return false;
    for (char c : name)
      if (static_cast<unsigned char>(c) <= 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
        return false;
    ++names;
    if (dot == id.size()) break;
    start = dot + 1;
  }
  return names >= 2 && names <= 8;
}

void read_package(Table& t, Reading& r) {
  const Settings& s = r.settings();
  PackageInfo& p = r.product.package;
  std::string publisher = identifier_part(s.Publisher), name = identifier_part(s.DisplayName);
  p.identifier = (publisher.empty() ? name : publisher) + "." + (name.empty() ? "Product" : name);
  p.short_description = kv::utf16_to_utf8(s.product_description.empty() ? s.DisplayName : s.product_description);
  if (auto v = t.text("identifier")) {
    if (!valid_identifier(*v)) t.fail("identifier", "expected two to eight names of at most 32 characters joined by \".\"");
    p.identifier = *v;
  }
  if (auto v = t.text("license")) p.license = *v;
  if (auto v = t.text("short_description")) p.short_description = *v;
  if (auto v = t.text("homepage")) p.homepage = *v;
  t.finish();
}

}  // namespace

void read_product_identity(Table& root, Reading& r) {
  Settings& s = r.settings();
  Table p = root.table("product");
  if (!p.present()) {
    r.description.fail("missing the [product] section (a product needs at least a name)");
    return;
  }
  if (auto v = p.required_text("name")) {
    if (v->empty()) p.fail("name", "must not be empty");
    s.DisplayName = utf16(*v);
  }
  if (auto v = version_text(p, "version")) s.DisplayVersion = utf16(*v);
  if (auto v = p.text("publisher")) s.Publisher = utf16(*v);
  if (auto v = p.text("description")) s.product_description = utf16(*v);
  if (auto v = p.text("folder")) s.default_installation_folder = utf16(*v);
  s.ProductStartMenu = s.DisplayName;
  if (auto v = p.text("start_menu_folder")) s.ProductStartMenu = utf16(*v);
  if (auto v = p.text("registry_key")) s.ProductRegistry = utf16(*v);
  if (auto v = binary_file(p, "icon", is_icon_file, "an icon file (.ico)")) s.product_icon = std::move(*v);
  p.finish();

  Table requirements = root.table("requirements");
  read_requirements(requirements, r);
  Table existing = root.table("existing");
  read_existing(existing, r);
  Table update_only = root.table("update_only");
  read_update_only(update_only, r);
  Table package = root.table("package");
  read_package(package, r);
}

}  // namespace builder
