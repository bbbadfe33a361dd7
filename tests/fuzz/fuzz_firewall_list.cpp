// The installation's firewall exception list, as a damaged or hand-made
// installer may hold it: every line either refused or read into an
// exception, and the line recorded for the uninstaller read back as the
// same exception. (A program path that begins with "|" is no Windows path;
// the marked form the uninstaller reads cannot hold it.)
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "firewall_list.h"
#include "text.h"
#include "uninstall_records.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view list(reinterpret_cast<const char*>(data), size);
  for (std::string_view line : integration::split_firewall_lines(list)) {
    if (line.empty() || line.find_first_of("\r\n") != std::string_view::npos) std::abort();
    auto exception = integration::parse_firewall_exception(line, u"Product");
    if (!exception) continue;
    if (exception->name.empty()) std::abort();
    // What the installation can record must read back as what it added.
    bool added = exception->is_port ? integration::valid_firewall_port(exception->port) &&
                                          (exception->tcp || exception->udp)
                                    : !exception->target.empty() && !exception->target.starts_with('|');
    if (!added) continue;
    auto record = uninstall::parse_firewall_line(integration::uninstall_firewall_line(line));
    if (!record || record->is_port != exception->is_port) std::abort();
    if (record->is_port && (record->port != exception->port || record->tcp != exception->tcp ||
                            record->udp != exception->udp))
      std::abort();
    if (!record->is_port && record->program != kv::utf8_to_utf16(exception->target)) std::abort();
  }
  return 0;
}
