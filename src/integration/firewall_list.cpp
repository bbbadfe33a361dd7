#include "firewall_list.h"

#include "settings.h"
#include "text.h"

namespace integration {
namespace {

using namespace firewall_result;

bool all_digits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

std::uint32_t saturated_number(std::string_view digits) {
  std::uint64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') break;
    value = value * 10 + unsigned(c - '0');
    if (value > 0xFFFFFFFFu) return 0xFFFFFFFFu;
  }
  return static_cast<std::uint32_t>(value);
}

std::vector<std::string_view> split_fields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (;;) {
    std::size_t cut = line.find(';');
    fields.push_back(line.substr(0, cut));
    if (cut == std::string_view::npos) return fields;
    line.remove_prefix(cut + 1);
  }
}

std::u16string port_log_line(std::uint32_t port, long protocol, int code) {
  const std::string number = std::to_string(port);
  if (code != kSuccess)
    return kv::ascii_to_utf16("Failed to open firewall port " + number + ", code " + std::to_string(code) + "\r\n");
  return kv::ascii_to_utf16(std::string("Added firewall exception: ") + (protocol == kProtocolTcp ? "TCP" : "UDP") +
                            " port " + number + "\r\n");
}

}  // namespace

bool firewall_skipped_when_portable(bool portable, std::uint32_t product_flags2) {
  return portable && (product_flags2 & setup::flags2::kPortableNoFirewall);
}

std::vector<std::string_view> split_firewall_lines(std::string_view list) {
  std::vector<std::string_view> lines;
  while (!list.empty()) {
    std::size_t end = list.find_first_of("\r\n");
    if (end != 0) lines.push_back(list.substr(0, end));
    if (end == std::string_view::npos) break;
    // CR LF and LF CR each end one line.
    std::size_t next = end + 1;
    if (next < list.size() && (list[next] == '\r' || list[next] == '\n') && list[next] != list[end]) ++next;
    list.remove_prefix(next);
  }
  return lines;
}

std::optional<FirewallException> parse_firewall_exception(std::string_view line, std::u16string_view product_name) {
  std::vector<std::string_view> fields = split_fields(line);
  if (fields.size() != 4) return std::nullopt;
  FirewallException out;
  out.target = fields[0];
  out.is_port = all_digits(fields[0]);
  if (out.is_port) out.port = saturated_number(fields[0]);
  std::uint32_t protocols = saturated_number(fields[2]);
  out.tcp = (protocols & kFirewallTcpBit) != 0;
  out.udp = (protocols & kFirewallUdpBit) != 0;
  out.name = kv::utf8_to_utf16(fields[1]);
  if (out.name.empty()) out.name = std::u16string(product_name);
  out.keep = fields[3].find('1') != std::string_view::npos;
  return out;
}

bool valid_firewall_port(std::uint32_t port) { return port >= 1 && port <= 65535; }

std::optional<int> existing_entry_result(bool found, std::optional<bool> enabled, int unreadable_code,
                                         bool report_existing) {
  if (!found) return std::nullopt;
  if (!enabled) return unreadable_code;
  if (!*enabled) return std::nullopt;
  return report_existing ? kExists : kSuccess;
}

FirewallLineOutcome install_firewall_exception(const FirewallException& exception, FirewallActions& actions) {
  FirewallLineOutcome out;
  std::optional<int> last;
  if (exception.is_port) {
    for (long protocol : {kProtocolTcp, kProtocolUdp}) {
      if (!(protocol == kProtocolTcp ? exception.tcp : exception.udp)) continue;
      last = valid_firewall_port(exception.port) ? actions.add_port(exception.port, protocol, exception.name)
                                                 : kPortNotSet;
      out.log += port_log_line(exception.port, protocol, *last);
    }
  } else {
    std::u16string path = actions.program_path(exception.target);
    if (!actions.file_exists(path)) {
      last = kNotAdded;
      out.log = u"Failed to add firewall exception for \"" + path + u"\": file does not exist\r\n";
    } else {
      last = actions.add_program(path, exception.name);
      out.log = *last == kSuccess ? u"Added firewall exception: " + path + u"\r\n"
                                  : u"Failed to add firewall exception for \"" + path + u"\", code " +
                                        kv::to_u16(*last) + u"\r\n";
    }
  }
  out.record = last == kSuccess && !exception.keep;
  return out;
}

std::string uninstall_firewall_line(std::string_view line) {
  std::vector<std::string_view> fields = split_fields(line);
  if (fields.empty() || all_digits(fields[0]) || kv::is_ascii(fields[0])) return std::string(line);
  std::string out = kv::to_marked(kv::utf8_to_utf16(fields[0]));
  out.append(line.substr(fields[0].size()));
  return out;
}

std::string firewall_connect_failure(int code) {
  return "Failed to connect to the firewall service: code " + std::to_string(code) + "\r\n";
}

}  // namespace integration
