#include "path_variables_notification.h"

#include "text.h"

namespace engine {
namespace {

bool unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

std::size_t ifind(std::string_view text, std::string_view needle, std::size_t from) {
  for (std::size_t i = from; i + needle.size() <= text.size(); ++i)
    if (kv::iequals(text.substr(i, needle.size()), needle)) return i;
  return std::string_view::npos;
}

std::string replace_all_ignoring_case(std::string_view text, std::string_view name, std::string_view value) {
  std::string out;
  std::size_t pos = 0;
  for (std::size_t hit; (hit = ifind(text, name, pos)) != std::string_view::npos; pos = hit + name.size()) {
    out.append(text.substr(pos, hit - pos));
    out.append(value);
  }
  out.append(text.substr(pos));
  return out;
}

}  // namespace

std::string percent_encode(std::u16string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : kv::utf16_to_utf8(text)) {
    if (unreserved(c)) {
      out += char(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string expand_notification_address(std::string_view address, std::u16string_view product_version,
                                        const kv::OsVersion& os) {
  std::string text(address);
  const std::pair<std::string_view, std::string> names[] = {
      {"%version%", percent_encode(product_version)},
      {"%OS%", std::to_string(kv::os_number(os))},
      {"%OSMajor%", std::to_string(os.major)},
      {"%OSMinor%", std::to_string(os.minor)},
      {"%OSName%", percent_encode(kv::ascii_to_utf16(kv::os_short_name(os)))},
  };
  for (const auto& [name, value] : names) text = replace_all_ignoring_case(text, name, value);
  return text;
}

}  // namespace engine
