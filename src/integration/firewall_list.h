#pragma once
// The author's firewall exceptions: the settings' list, one exception per
// line of four fields separated by ";" (a port number or a program path,
// the name in UTF-8, the protocol bits, the options), and what the
// installation does with one line. The firewall and the disk are reached
// through FirewallActions, so that the decisions and their log lines stand
// apart from the system.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace integration {

// Result codes of the firewall operations, as the log lines show them.
namespace firewall_result {
inline constexpr int kSuccess = 0;            // also: already in the list and enabled
inline constexpr int kNotConnected = 1;
inline constexpr int kNoManager = 2;
inline constexpr int kNoPolicy = 3;
inline constexpr int kNoProfile = 4;
inline constexpr int kProgramOrNameMissing = 7;
inline constexpr int kNoApplicationList = 8;
inline constexpr int kApplicationStateUnread = 9;
inline constexpr int kNoApplicationObject = 10;
inline constexpr int kImageNotSet = 11;
inline constexpr int kNameNotSet = 12;
inline constexpr int kNotAdded = 13;          // also: the program file does not exist
inline constexpr int kNoPortList = 15;
inline constexpr int kPortStateUnread = 16;
inline constexpr int kNoPortObject = 18;
inline constexpr int kPortNotSet = 19;
inline constexpr int kProtocolNotSet = 20;
inline constexpr int kCrashed = 27;
inline constexpr int kExists = 29;            // only for callers that ask to be told
}  // namespace firewall_result

// IP protocol numbers of open ports.
inline constexpr long kProtocolTcp = 6;
inline constexpr long kProtocolUdp = 17;

// Protocol bits of the third field.
inline constexpr std::uint32_t kFirewallTcpBit = 0x1;
inline constexpr std::uint32_t kFirewallUdpBit = 0x2;

// A portable installation leaves the firewall alone when its settings say
// so (ProductFlags2).
bool firewall_skipped_when_portable(bool portable, std::uint32_t product_flags2);

// Lines end at a carriage return, a line feed or a pair of them in either
// order. Empty lines hold no exception and are left out.
std::vector<std::string_view> split_firewall_lines(std::string_view list);

struct FirewallException {
  std::string_view target;  // field 1: the port's digits or the program path (UTF-8)
  bool is_port = false;     // field 1 is one or more digits
  std::uint32_t port = 0;   // saturates, so that a number above 65535 stays invalid
  bool tcp = false;
  bool udp = false;
  std::u16string name;      // field 2; the product name when empty
  bool keep = false;        // field 4 holds "1": the uninstaller leaves it
};

// Nothing for a line with other than four fields (a damaged installation).
std::optional<FirewallException> parse_firewall_exception(std::string_view line, std::u16string_view product_name);

// A port number the firewall can open.
bool valid_firewall_port(std::uint32_t port);

// An entry of the firewall's list that matches: success when it is enabled
// (kExists for callers that ask to be told), its unreadable code when its
// state cannot be read; nothing when the entry must be added (not there, or
// there but disabled).
std::optional<int> existing_entry_result(bool found, std::optional<bool> enabled, int unreadable_code,
                                         bool report_existing);

// What the installation needs of the firewall and the disk.
class FirewallActions {
 public:
  virtual ~FirewallActions() = default;
  virtual int add_port(std::uint32_t port, long protocol, const std::u16string& name) = 0;
  virtual int add_program(const std::u16string& path, const std::u16string& name) = 0;
  // Field 1 of a program line as a full path.
  virtual std::u16string program_path(std::string_view target) = 0;
  virtual bool file_exists(const std::u16string& path) = 0;
};

struct FirewallLineOutcome {
  std::u16string log;   // the line's log lines
  bool record = false;  // goes into the uninstall firewall list
};

// Adds one line's exception: for a port each protocol of its bits (TCP
// first), for a program the program when its file exists. Recorded when the
// last operation succeeded and the options do not keep it.
FirewallLineOutcome install_firewall_exception(const FirewallException& exception, FirewallActions& actions);

// The line as the uninstaller reads it back: the four fields, with a program
// path in the marked path form (the uninstaller decodes that form, the
// settings hold UTF-8).
std::string uninstall_firewall_line(std::string_view line);

// "Failed to connect to the firewall service: code %d\r\n"
std::string firewall_connect_failure(int code);

}  // namespace integration
