#pragma once
// The records the uninstaller reads back from the uninstall key and from the
// 8-bit sections of Uninstall.DAT: fonts, installer packages, firewall
// exceptions, the flag words and the support offer.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace uninstall {

// A font of `ProductFonts`: its name under the system's font list key and
// its file name.
struct FontRecord {
  std::u16string name;
  std::u16string file_name;
  bool operator==(const FontRecord&) const = default;
};
// Pairs of double-quoted texts (a doubled quote stands for one), the name in
// UTF-8 and the file name in the marked form; whatever stands between the
// texts separates them. An unpaired last text, and a pair with an empty
// text, are dropped.
std::vector<FontRecord> parse_product_fonts(std::string_view value);

// A "[MSI]" line: "\"" marked package path "\"," user-interface level.
struct MsiRecord {
  std::u16string package;
  int ui_level = 0;
  bool operator==(const MsiRecord&) const = default;
};
// Split at its last comma, so that a package path may hold commas; nothing
// for a line without one.
std::optional<MsiRecord> parse_msi_line(std::string_view line);

// A "[Firewall]" line: four fields separated by ";". A first field of digits
// only is a port, closed for TCP when the third field has bit 1 and for UDP
// when it has bit 2; any other first field is a program (path variables
// allowed, relative to the installation folder).
struct FirewallRecord {
  bool is_port = false;
  std::uint32_t port = 0;
  bool tcp = false;
  bool udp = false;
  std::u16string program;
  bool operator==(const FirewallRecord&) const = default;
};
std::optional<FirewallRecord> parse_firewall_line(std::string_view line);

// `ProductFlags` as the uninstall key keeps it: a signed 64-bit decimal
// number, told as two 32-bit words.
struct FlagWords {
  std::uint32_t low = 0;
  std::uint32_t high = 0;
};
FlagWords parse_product_flags(std::u16string_view text);
// `ProductFlags2`: an unsigned decimal number.
std::uint32_t parse_product_flags2(std::u16string_view text);

// The support offer's address, trimmed of blanks, tabs and line ends, when it
// is a web address ("http://", "https://", "www.") or a mail address
// ("mailto:", or name@domain); the form the shell opens ("www." gains
// "http://", a bare mail address "mailto:").
std::optional<std::u16string> support_address(std::u16string_view offer);

}  // namespace uninstall
