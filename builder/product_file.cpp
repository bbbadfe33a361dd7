#include "product_file.h"

#include <toml++/toml.h>

#include <algorithm>
#include <chrono>
#include <sstream>

#include "english_strings.h"
#include "kv_core.h"

namespace builder {
namespace {

std::u16string u16(std::string_view utf8) { return kv::utf8_to_utf16(utf8); }

std::string where(const std::filesystem::path& file, const toml::source_region& at) {
  std::ostringstream out;
  out << file.string() << ":" << at.begin.line << ":" << at.begin.column << ": ";
  return out.str();
}

setup::StringTable english_table() {
  int count = english_string_count();
  std::vector<std::u16string> texts(static_cast<std::size_t>(count));
  for (const EnglishString& s : kEnglishStrings) texts[static_cast<std::size_t>(s.number)] = u16(s.text);
  setup::StringTable table;
  table.assign({u"English"}, count, std::move(texts));
  return table;
}

setup::DateTimeRecord utc_time_of(const std::filesystem::path& path) {
  std::error_code ec;
  auto when = std::filesystem::last_write_time(path, ec);
  setup::DateTimeRecord t;
  if (ec) return t;
  auto system = std::chrono::file_clock::to_sys(when);
  auto days = std::chrono::floor<std::chrono::days>(system);
  std::chrono::year_month_day ymd(days);
  std::chrono::hh_mm_ss hms(std::chrono::floor<std::chrono::seconds>(system - days));
  t.year = int(ymd.year());
  t.month = int(unsigned(ymd.month()));
  t.day = int(unsigned(ymd.day()));
  t.hour = int(hms.hours().count());
  t.minute = int(hms.minutes().count());
  t.second = int(hms.seconds().count());
  return t;
}

}  // namespace

ProductLoad load_product(const std::filesystem::path& description) {
  ProductLoad load;
  toml::table doc;
  try {
    doc = toml::parse_file(description.string());
  } catch (const toml::parse_error& e) {
    load.error = where(description, e.source()) + std::string(e.description());
    return load;
  }
  std::filesystem::path base = description.parent_path();
  setup::Settings& s = load.product.settings;
  s.ProductFlags.low = setup::flags_low::kRegisterUninstaller | setup::flags_low::kCompressedArchive | 0x40;
  s.strings = english_table();
  s.UninstallSubdir = u"";

  const toml::table* product = doc["product"].as_table();
  if (!product) {
    load.error = description.string() + ": missing [product] table";
    return load;
  }
  s.DisplayName = u16(product->get_as<std::string>("name") ? product->get_as<std::string>("name")->get() : "");
  if (s.DisplayName.empty()) {
    load.error = where(description, product->source()) + "[product] needs a name";
    return load;
  }
  if (auto v = product->get_as<std::string>("version")) s.DisplayVersion = u16(v->get());
  if (auto v = product->get_as<std::string>("publisher")) s.Publisher = u16(v->get());
  if (auto v = product->get_as<std::string>("folder")) s.default_installation_folder = u16(v->get());
  s.uninstall_key_name = s.DisplayName;
  s.ProductStartMenu = s.DisplayName;

  if (const toml::array* files = doc["files"].as_array()) {
    for (const toml::node& node : *files) {
      const toml::table* f = node.as_table();
      auto source = f ? f->get_as<std::string>("source") : nullptr;
      if (!source) {
        load.error = where(description, node.source()) + "each [[files]] needs a source";
        return load;
      }
      std::filesystem::path path = base / source->get();
      if (!std::filesystem::is_regular_file(path)) {
        load.error = where(description, source->source()) + "no such file: " + path.string();
        return load;
      }
      PackedFile packed;
      packed.source = path;
      packed.entry.target_name = kv::to_marked(u16(path.filename().string()));
      packed.entry.time = utc_time_of(path);
      if (auto d = f->get_as<std::string>("destination")) packed.entry.wide_name = u16(d->get());
      if (auto k = f->get_as<int64_t>("kind")) packed.entry.kind = static_cast<std::uint32_t>(k->get());
      load.product.files.push_back(std::move(packed));
    }
  }
  return load;
}

}  // namespace builder
