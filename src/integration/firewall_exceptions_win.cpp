#include "firewall_exceptions.h"

#include <windows.h>

#include <vector>

#include "corrupt_installer.h"
#include "crash_guard.h"
#include "engine_run.h"
#include "file_destination.h"
#include "firewall_list.h"
#include "firewall_service.h"
#include "install_log.h"
#include "path_variables_win.h"
#include "run_state.h"
#include "text.h"
#include "uninstall_data.h"
#include "win_handles.h"

namespace integration {
namespace {

constexpr int kDamagedFirewallLine = 90;

class SystemFirewall final : public FirewallActions {
 public:
  int add_port(std::uint32_t port, long protocol, const std::u16string& name) override {
    return firewall::add_port(port, protocol, name);
  }
  int add_program(const std::u16string& path, const std::u16string& name) override {
    return firewall::add_program(path, name);
  }
  std::u16string program_path(std::string_view target) override {
    return firewall_program_path(kv::utf8_to_utf16(target), engine::run.paths.install_dir);
  }
  bool file_exists(const std::u16string& path) override {
    DWORD attributes = GetFileAttributesW(kv::as_wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
};

}  // namespace

std::u16string firewall_program_path(std::u16string path, std::u16string_view install_folder) {
  engine::expand_path_variables(path);
  return engine::make_absolute(path, install_folder);
}

void install_firewall_exceptions() {
  const std::string& list = setup::run.settings.firewall_exceptions;
  if (list.empty() ||
      firewall_skipped_when_portable(engine::run.paths.portable, setup::run.installation.head.ProductFlags2))
    return;
  // Every line is checked before the first is added: a damaged list ends
  // the run without leaving exceptions that no uninstall data records.
  std::vector<std::string_view> lines = split_firewall_lines(list);
  std::vector<FirewallException> exceptions;
  for (std::string_view line : lines) {
    std::optional<FirewallException> exception = parse_firewall_exception(line, setup::run.placeholders.product);
    if (!exception) setup::corrupt_installer(kDamagedFirewallLine);
    exceptions.push_back(std::move(*exception));
  }
  if (exceptions.empty()) return;

  kv::crash_guard([&] {
    if (int code = firewall::connect()) {
      engine::log_narrow(firewall_connect_failure(code));
      return;
    }
    SystemFirewall actions;
    for (std::size_t i = 0; i < exceptions.size(); ++i) {
      FirewallLineOutcome outcome = install_firewall_exception(exceptions[i], actions);
      engine::log_wide(outcome.log);
      if (outcome.record) uninstall::add_firewall_line(uninstall::uninstall_data, uninstall_firewall_line(lines[i]));
    }
  });
}

bool connect_firewall() { return firewall::connect() == firewall_result::kSuccess; }

void remove_firewall_exception(const uninstall::FirewallRecord& record, std::u16string_view install_folder) {
  if (!record.is_port) {
    firewall::remove_program(firewall_program_path(record.program, install_folder));
    return;
  }
  if (!valid_firewall_port(record.port)) return;
  if (record.tcp) firewall::remove_port(record.port, kProtocolTcp);
  if (record.udp) firewall::remove_port(record.port, kProtocolUdp);
}

}  // namespace integration
