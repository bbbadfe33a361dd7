#pragma once
// Fixtures for the builder's tests: a scratch folder for descriptions and
// their files, and small PE images (a runtime stub, files with a version
// resource) made from scratch.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace builder_test {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temporary folder, removed at the end.
class Folder {
 public:
  Folder() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("tess-builder-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~Folder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

  std::filesystem::path write(std::string_view name, std::string_view text) const {
    return write(name, Bytes(text.begin(), text.end()));
  }
  std::filesystem::path write(std::string_view name, const Bytes& bytes) const {
    std::filesystem::path file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return file;
  }

 private:
  std::filesystem::path path_;
};

inline void put16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = std::uint8_t(v);
  b[at + 1] = std::uint8_t(v >> 8);
}
inline void put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
}

inline constexpr std::uint32_t kResourceRva = 0x4000;  // the last section's address

// A PE image with four sections of 0x200 bytes (file alignment 0x200,
// section alignment 0x1000). With `resource`, the last section is the
// resource section holding it (at kResourceRva) and the resource directory
// points there. `wide` makes a 64-bit (PE32+) image.
inline Bytes make_image(bool wide = false, const Bytes& resource = {}) {
  const std::uint32_t pe = 0x80, opt = pe + 24, opt_size = wide ? 0xF0 : 0xE0, table = opt + opt_size;
  std::uint32_t last_raw = resource.empty() ? 0x200 : static_cast<std::uint32_t>((resource.size() + 0x1FF) & ~0x1FFu);
  Bytes b(0x400 + 3 * 0x200 + last_raw, 0);
  b[0] = 'M', b[1] = 'Z';
  put32(b, 60, pe);
  std::memcpy(&b[pe], "PE\0\0", 4);
  put16(b, pe + 4, wide ? 0x8664 : 0x14C);
  put16(b, pe + 6, 4);
  put16(b, pe + 20, opt_size);
  put16(b, opt, wide ? 0x20B : 0x10B);
  put32(b, opt + 8, 0x200 * 3 + last_raw);  // initialised data
  put32(b, opt + 32, 0x1000);
  put32(b, opt + 36, 0x200);
  put32(b, opt + 56, 0x5000);
  put32(b, opt + 60, 0x400);
  std::uint32_t directories = wide ? opt + 112 : opt + 96;
  put32(b, directories - 4, 16);
  if (!resource.empty()) {
    put32(b, directories + 2 * 8, kResourceRva);
    put32(b, directories + 2 * 8 + 4, static_cast<std::uint32_t>(resource.size()));
  }
  const char* names[] = {".text", ".data", ".rdata", ".rsrc"};
  for (std::uint32_t i = 0; i < 4; ++i) {
    std::size_t e = table + i * 40;
    std::memcpy(&b[e], names[i], std::strlen(names[i]));
    std::uint32_t raw = i == 3 ? last_raw : 0x200;
    put32(b, e + 8, i == 3 && !resource.empty() ? static_cast<std::uint32_t>(resource.size()) : 0x180);
    put32(b, e + 12, 0x1000 * (i + 1));
    put32(b, e + 16, raw);
    put32(b, e + 20, 0x400 + i * 0x200);
    put32(b, e + 36, 0x40000040);
    if (i < 3)
      for (std::uint32_t k = 0; k < 0x180; ++k) b[0x400 + i * 0x200 + k] = std::uint8_t(i * 31 + k);
  }
  std::copy(resource.begin(), resource.end(), b.begin() + 0x400 + 3 * 0x200);
  return b;
}

// One block of version information: lengths, type, key, value, children.
inline Bytes version_block(std::u16string_view key, const Bytes& value, std::uint16_t value_length, std::uint16_t type,
                           const std::vector<Bytes>& children = {}) {
  Bytes b(6, 0);
  for (char16_t c : key) b.insert(b.end(), {std::uint8_t(c), std::uint8_t(c >> 8)});
  b.insert(b.end(), {0, 0});
  while (b.size() % 4) b.push_back(0);
  b.insert(b.end(), value.begin(), value.end());
  for (const Bytes& child : children) {
    while (b.size() % 4) b.push_back(0);
    b.insert(b.end(), child.begin(), child.end());
  }
  put16(b, 0, static_cast<std::uint32_t>(b.size()));
  put16(b, 2, value_length);
  put16(b, 4, type);
  return b;
}

inline Bytes utf16_bytes(std::u16string_view text) {
  Bytes b;
  for (char16_t c : text) b.insert(b.end(), {std::uint8_t(c), std::uint8_t(c >> 8)});
  b.insert(b.end(), {0, 0});
  return b;
}

// A resource section (for kResourceRva) with one version resource whose
// string table holds "FileVersion" = version.
inline Bytes version_resource(std::u16string_view version) {
  Bytes fixed(52, 0);
  put32(fixed, 0, 0xFEEF04BD);
  Bytes text = utf16_bytes(version);
  Bytes string = version_block(u"FileVersion", text, static_cast<std::uint16_t>(text.size() / 2), 1);
  Bytes other = version_block(u"CompanyName", utf16_bytes(u"Tests"), 6, 1);
  Bytes table = version_block(u"040904B0", {}, 0, 1, {other, string});
  Bytes info = version_block(u"StringFileInfo", {}, 0, 1, {table});
  Bytes root = version_block(u"VS_VERSION_INFO", fixed, 52, 0, {info});

  // Three directory levels (type 16, name 1, language 0x409), each with one
  // entry, then the data entry and the data.
  Bytes r(0x58 + root.size(), 0);
  auto directory = [&](std::size_t at, std::uint32_t id, std::uint32_t target) {
    put16(r, at + 14, 1);
    put32(r, at + 16, id);
    put32(r, at + 20, target);
  };
  directory(0x00, 16, 0x80000000 | 0x18);
  directory(0x18, 1, 0x80000000 | 0x30);
  directory(0x30, 0x409, 0x48);
  put32(r, 0x48, kResourceRva + 0x58);
  put32(r, 0x4C, static_cast<std::uint32_t>(root.size()));
  std::copy(root.begin(), root.end(), r.begin() + 0x58);
  return r;
}

// A description that uses every section of the schema, with its files.
inline constexpr char kRichProduct[] = R"toml([product]
name = "Rich"
version = "2.5.1"
publisher = "Tessaline Tests"
description = "the rich test product"
folder = "%ProgramsDir%\\Tessaline Tests\\Rich"
start_menu_folder = "Tessaline Tests\\Rich"
registry_key = "Tessaline Tests\\Rich"
icon = "app.ico"

[requirements]
bitness = "32-bit-only"
minimum_windows = "7"
minimum_service_pack = "1"
excluded_windows = ["vista", "server-2008"]

[existing]
question = false
compare_versions = true
must_uninstall = "2.0"
warn_below = "2.4"
no_downgrade_below = "2.0"

[update_only]
product = "Rich Base"
oldest_version = "1.0"

[installation]
single_instance = true
restore_point = true
add_to_path = "bin"
extra_space = 1048576
shortcuts = "current-user"
registry_file = "merge.reg"
install_path_value = "HKLM\\Software\\Tessaline Tests\\Rich\\Path"
remove_install_path_value = true
inf = "driver.inf"
verify_writes = true
archive_from_file = false

[shared_folder]
base = "app-data"
name = "Tessaline Shared"
portable_name = "shared"

[log]
detailed = true
start_menu_shortcut = true

[restart]
required = true
always_ask = true

[uninstall]
subfolder = "uninstall"
key_name = "RichProduct"
icon = "app.ico"
start_menu_shortcut = true
desktop_shortcut = true
support_offer = "mailto:help@example.com"
file_time = 2024-01-02T03:04:05Z
strip_installation_data = true

[[uninstall.values]]
name = "HelpLink"
value = "https://example.com/help"

[[uninstall.values]]
name = "Sub\\Count"
kind = "number"
value = 42

[portable]
registry = false
root_shortcut = { command = "%InstallDir%\\bin\\a.txt", name = "Rich" }

[taskbar_pin]
command = "%InstallDir%\\bin\\a.txt"

[desktop_folder]
name = "Rich Tools"
icon = "app.ico"

[wizard]
automatic = "never"
greeting = "always"
minimum_display_time = 250
password = "secret"
link = "https://example.com"
header_text = "Rich Setup"
greeting_option = 1
sound = "sound.wav"
style = "panel"
confirm_folder = true
[wizard.styles]
greeting = "plain"
progress = 2

[summary]
launch_application = "%InstallDir%\\bin\\a.txt"
open_document = "%InstallDir%\\docs"
start_application_ticked = true

[background]
title = "Rich"
title_color = "#FF8000"
top_color = "#000080"
bottom_color = 0
bitmap = "back.bmp"
stretch = "tile"
[background.copyright]
text = "(c) Tessaline Tests"
position = "bottom-right"

[notify]
start = "https://example.com/start?v=%version%"
install = "https://example.com/install"
uninstall = "https://example.com/uninstall"
link = "https://example.com/link"

[strings]
65 = "Rich Installer"

[[languages]]
name = "Deutsch"
file = "de.toml"
[languages.strings]
49 = "Abbrechen"

[documents]
licence = ["docs/licence.rtf", { text = "Plain licence: ü" }]
readme = "docs/readme.txt"
write_readme_files = true

[batches]
pre_install = "echo before"
post_install = { commands = "echo after\necho done", hidden = false }
upgrade = "echo upgrade"
reinstall = { commands = "echo again", same_version_only = true }
pre_uninstall = "echo bye"

[[files]]
source = "bin/*"
destination = "%InstallDir%\\bin\\"

[[files]]
source = "bin/**/*.txt"
overwrite = "unless-newer"
never_uninstall = true
attributes = ["read-only"]

[[files]]
source = "bin/sys.dll"
kind = "system"

[[files]]
source = "bin/a.txt"
destination = "greeting.txt"
time = 2020-05-06T07:08:09Z
shortcut = { desktop = true, start_menu = true, name = "Greeting", icon = "%InstallDir%\\app.ico" }

[[shortcuts]]
target = "%InstallDir%\\bin\\a.txt"
name = "Docs\\Read me"
start_menu = true
show = "maximized"

[[registry]]
key = "HKLM\\Software\\Tessaline Tests\\Rich"

[[registry]]
key = "\\HKAU\\Software\\Tessaline Tests\\Rich"
name = "Size"
type = "dword"
value = 7

[[registry]]
key = "HKCU\\Software\\Rich"
name = "Blob"
type = "binary"
value = "01 02 ff"
action = "write-and-keep"

[[associations]]
extension = ".rich"
file_type = "Rich.Document"
description = "Rich document"
command = "\"%InstallDir%\\bin\\a.txt\" \"%1\""
icon = "%InstallDir%\\app.ico"
default_verb = true

[[firewall]]
port = 8080
name = "Rich server"
protocols = ["tcp", "udp"]

[[firewall]]
program = "bin\\a.txt"
keep = true

[[close]]
class = "RichWindow"
name = "Rich"
mode = "ask"

[[delete]]
pattern = "%InstallDir%\\old\\*.tmp"
date = 2020-01-01
compare = "at-most"
phases = ["install", "uninstall"]

[[delete]]
pattern = "%InstallDir%\\big.log"
size = 1000000
compare = "at-least"
at_restart = "when-locked"

[raw_flags]
set_high = 0x00000008
clear_flags2 = 0x00000002
)toml";

inline std::filesystem::path write_rich_product(const Folder& f) {
  f.write("bin/a.txt", "hello");
  f.write("bin/b.dat", "world");
  f.write("bin/sub/c.txt", "deep");
  f.write("bin/.hidden", "not packed");
  f.write("bin/sys.dll", make_image(false, version_resource(u" 5, 1, 2600, 1 ")));
  f.write("docs/licence.rtf", "{\\rtf1 licence}");
  f.write("docs/readme.txt", "Readme \xe9t\xe9\n");
  Bytes image(40, 0);
  Bytes icon = {0, 0, 1, 0, 1, 0, 1, 1, 0, 0, 1, 0, 32, 0, 40, 0, 0, 0, 22, 0, 0, 0};
  icon.insert(icon.end(), image.begin(), image.end());
  f.write("app.ico", icon);
  Bytes bitmap(58, 0);
  bitmap[0] = 'B', bitmap[1] = 'M';
  put32(bitmap, 2, 58);
  put32(bitmap, 10, 54);
  put32(bitmap, 14, 40);
  f.write("back.bmp", bitmap);
  f.write("sound.wav", std::string_view("RIFF\4\0\0\0WAVE", 12));
  Bytes reg = {0xFF, 0xFE};
  for (char c : std::string_view("Windows Registry Editor Version 5.00\r\n"))
    reg.insert(reg.end(), {std::uint8_t(c), 0});
  f.write("merge.reg", reg);
  f.write("de.toml", "0 = \"<product> Installation\"\n48 = \"Weiter >\"\n");
  return f.write("product.toml", kRichProduct);
}

}  // namespace builder_test
