#include "product_file.h"

#include "input_files.h"
#include "kv_core.h"
#include "product_reading.h"
#include "settings_stream.h"
#include "utf8_paths.h"

namespace builder {

std::u16string utf16(std::string_view utf8) { return kv::utf8_to_utf16(utf8); }

std::optional<std::string> windows_1252(Table& table, std::string_view key, std::u16string_view text) {
  std::string out = kv::utf16_to_cp1252(text);
  if (kv::cp1252_to_utf16(out) != text) {
    table.fail(key, "holds characters that Windows-1252 text cannot hold");
    return std::nullopt;
  }
  return out;
}

std::optional<std::string> ascii(Table& table, std::string_view key, std::string_view utf8) {
  if (!kv::is_ascii(utf8)) {
    table.fail(key, "expected plain ASCII text");
    return std::nullopt;
  }
  return std::string(utf8);
}

bool within(Table& table, std::string_view key, std::size_t bytes, std::size_t max, std::string_view unit) {
  if (bytes <= max) return true;
  table.fail(key, "too long: " + std::to_string(bytes) + " " + std::string(unit) + ", at most " + std::to_string(max));
  return false;
}

std::optional<std::vector<std::uint8_t>> binary_file(Table& table, std::string_view key, FileCheck check,
                                                     std::string_view what) {
  std::optional<std::filesystem::path> path = table.file(key);
  if (!path) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (!read_file_bytes(*path, bytes, error)) {
    table.fail(key, error);
    return std::nullopt;
  }
  if (check && !check(bytes)) {
    table.fail(key, path_to_utf8(*path) + " is not " + std::string(what));
    return std::nullopt;
  }
  return bytes;
}

std::optional<std::uint32_t> colour(Table& table, std::string_view key) {
  const toml::node* n = table.node(key);
  if (!n) return std::nullopt;
  if (const auto* i = n->as_integer(); i && i->get() >= 0 && i->get() <= 0xFFFFFFFF)
    return static_cast<std::uint32_t>(i->get());
  if (const auto* s = n->as_string(); s && s->get().size() == 7 && s->get()[0] == '#') {
    std::uint32_t rgb = 0;
    bool ok = true;
    for (char c : s->get().substr(1)) {
      int digit = c >= '0' && c <= '9'   ? c - '0'
                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                         : -1;
      ok = ok && digit >= 0;
      rgb = rgb << 4 | static_cast<std::uint32_t>(digit & 0xF);
    }
    // Stored with red in the low byte.
    if (ok) return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
  }
  table.fail(key, "expected a colour \"#RRGGBB\" (or its stored number 0x00BBGGRR)");
  return std::nullopt;
}

void read_named_flags(Table& section, std::string_view section_name, FlagWords& flags) {
  for (const NamedFlag& f : kNamedFlags)
    if (f.section == section_name)
      if (std::optional<bool> v = section.flag(f.key)) flags.apply(f, *v);
}

ProductLoad load_product(const std::filesystem::path& file) {
  ProductLoad load;
  Description description(file);
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (!read_file_bytes(file, bytes, error, 64u << 20)) {
    load.error = error;
    return load;
  }
  std::optional<toml::table> document =
      parse_description(description, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  if (!document) {
    load.error = description.error();
    return load;
  }

  Reading reading{description, load.product};
  Table root(description, &*document, "");
  read_product_identity(root, reading);
  read_behaviour(root, reading);
  read_look(root, reading);
  read_texts(root, reading);
  read_files(root, reading);
  read_lists(root, reading);
  read_raw_flags(root, reading);
  root.finish();

  setup::Settings& s = load.product.settings;
  s.ProductFlags = reading.flags.product;
  load.product.ProductFlags2 = reading.flags.flags2;
  load.product.encipher = (reading.flags.flags2 & setup::flags2::kEnciphered) != 0;
  // Data whose flag ended up clear (the raw flags may clear any bit) is not
  // stored; keeping it would make the product differ from what is read back.
  if (!s.ProductFlags.has_low(setup::flags_low::kRegisterUninstaller)) s.uninstaller_icon.clear();
  if (!s.ProductFlags.has_low(setup::flags_low::kUpdateOnly)) s.update_only = {};

  // Anything the stream cannot carry as it is would come back different at
  // installation time; the checks above should have caught it first.
  if (!description.failed()) {
    setup::WrittenSettings written = setup::write_settings(s);
    if (!written.exact()) description.fail("the settings cannot be stored: " + written.problem);
  }
  load.error = description.error();
  load.warnings = description.warnings();
  return load;
}

}  // namespace builder
