// The runtime's entry: prepares the process, reads the command line and
// either uninstalls a product by name or installs the product it carries.
#include <windows.h>
#include <ole2.h>

#include "command_line.h"
#include "crash_report.h"
#include "driver.h"
#include "exit_routine.h"
#include "installation_data.h"
#include "installer_ui.h"
#include "kv_core.h"
#include "run_modes.h"
#include "run_state.h"
#include "uninstall_run.h"
#include "win_handles.h"

namespace setup {
namespace {

void enable_take_ownership_privilege() {
  kv::UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) return;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueW(nullptr, L"SeTakeOwnershipPrivilege", &privileges.Privileges[0].Luid)) return;
  AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}

void load_program_icons(HINSTANCE instance) {
  program.instance = instance;
  program.large_icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  program.small_icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
}

std::string program_file_name() {
  std::u16string path = kv::module_file_name();
  std::size_t slash = path.find_last_of(u"\\/");
  return kv::utf16_to_ansi(slash == std::u16string::npos ? path : path.substr(slash + 1));
}

[[noreturn]] void usage_message(std::u16string_view reason) {
  kv::fatal_text(usage_text(kv::utf16_to_ansi(reason), program_file_name()));
}

[[noreturn]] void start() {
  kv::reserve_memory();
  kv::install_trace_file_from_environment();
  kv::set_program_title(u"Tessaline Setup");
  crash::install_crash_filter();
  OleInitialize(nullptr);
  enable_take_ownership_privilege();
  install_installer_ui();
  load_program_icons(GetModuleHandleW(nullptr));

  CommandLine line = parse_command_line(kv::from_wide(GetCommandLineW()));
  apply_command_line(line);
  if (!line.usage_reason.empty()) usage_message(line.usage_reason);

  if (run.modes.uninstall) {
    if (run.modes.uninstall_name.empty()) usage_message(u"Product name required");
    end_run(uninstall::run_uninstall_mode(run.modes.uninstall_name));
  }

  open_installation_data();
  run_installation();
}

}  // namespace
}  // namespace setup

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { setup::start(); }
