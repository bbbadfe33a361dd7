#include <windows.h>
#include <oaidl.h>

#include "child_process.h"
#include "component_registration.h"
#include "component_registration_rules.h"
#include "corrupt_installer.h"
#include "dialogs.h"
#include "folders_win.h"
#include "install_log.h"
#include "installer_ui.h"
#include "localised.h"
#include "msi_library.h"
#include "paths.h"
#include "reboot_operations.h"
#include "registry.h"
#include "registry_path.h"
#include "run_state.h"
#include "run_status.h"
#include "system_error.h"
#include "system_library.h"
#include "text.h"
#include "text_ids.h"
#include "uninstall_data.h"
#include "win_handles.h"
#include "wow64_redirection.h"

namespace engine {
namespace {

// Corrupt-installer codes of an applet entry.
constexpr int kAppletWithoutName = 78;
constexpr int kAppletWithoutClassId = 79;
// A package whose installation crashed.
constexpr std::uint32_t kPackageCrashed = 0x8000FFFF;  // E_UNEXPECTED
constexpr DWORD kSourceIsPath = 1;                      // SPOST_PATH
// regsvr32 ran but its end could not be learnt.
constexpr std::uint32_t kNoExitCode = ERROR_GEN_FAILURE;

void show_registering(std::u16string_view item) {
  setup::show_step_text(kv::replace_all(setup::localised(setup::text_id::kRegistering), u"<file>", item));
}

void register_com_server(const std::u16string& server) {
  show_registering(server);
  log_wide_format(u"Registering COM File \"%s\"...", server);
  std::uint32_t result = run_regsvr32(server, false);
  if (result != 0) {
    bool called = false;
    if (call_server_entry(server, "DllRegisterServer", called)) {
      log_text("CRASHED!\r\n");
      error_report_append(u"Crashed while registering COM file " + kv::file_name_of(server) + u"\r\n");
      return;
    }
    if (called) result = 0;
  }
  log_wide(com_result_text(result));
}

// OLE automation's type-library entries, resolved once for the batch (with
// file-system redirection on, as every library load of the run).
struct TypeLibraryFunctions {
  using Load = HRESULT(WINAPI*)(const OLECHAR* file, ITypeLib** library);
  using Register = HRESULT(WINAPI*)(ITypeLib* library, const OLECHAR* full_path, const OLECHAR* help_folder);
  kv::UniqueModule module = kv::load_system_library(L"oleaut32.dll");
  Load load = kv::library_function<Load>(module.get(), "LoadTypeLib");
  Register register_library = kv::library_function<Register>(module.get(), "RegisterTypeLib");
};

void register_type_library(const TypeLibraryFunctions& oleaut, const std::u16string& path) {
  show_registering(path);
  log_wide_format(u"Registering Type Library \"%s\"...", path);
  HRESULT result = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  kv::CrashInfo crash = kv::crash_guard([&] {
    if (!oleaut.load || !oleaut.register_library) return;
    kv::ComPtr<ITypeLib> library;
    result = oleaut.load(kv::as_wide(path), library.put());
    if (SUCCEEDED(result)) result = oleaut.register_library(library.get(), kv::as_wide(path), nullptr);
  });
  if (crash) {
    log_text("CRASHED!\r\n");
    error_report_append(u"Crashed while registering TLB file " + kv::file_name_of(path) + u"\r\n");
    return;
  }
  // The failing call's own result says more than the thread's last error.
  log_wide(type_library_result_text(SUCCEEDED(result), kv::system_error_text(static_cast<std::uint32_t>(result))));
}

void install_driver_packages(const std::vector<std::string>& infs) {
  // The driver installation loads libraries of its own.
  kv::Wow64RedirectionPause pause;
  kv::UniqueModule setupapi = kv::load_system_library(L"Setupapi.dll");
  if (!setupapi) {
    log_text("Cannot install INF files...unable to open Setupapi.dll\r\n");
    return;
  }
  using CopyOemInf = BOOL(WINAPI*)(PCWSTR source, PCWSTR media_location, DWORD media_type, DWORD copy_style,
                                   PWSTR destination, DWORD destination_size, PDWORD required_size,
                                   PWSTR* destination_name);
  auto copy_oem_inf = kv::library_function<CopyOemInf>(setupapi.get(), "SetupCopyOEMInfW");
  if (!copy_oem_inf) {
    log_text("Cannot install INF files...unable to link to SetupCopyOEMInf()\r\n");
    return;
  }
  log_text("\r\n");
  for (const std::string& marked : infs) {
    const std::u16string path = kv::from_marked(marked);
    show_registering(path);
    log_wide_pieces({u"Installing driver \"", path, u"\"..."});
    wchar_t final_path[MAX_PATH] = {};
    BOOL copied = FALSE;
    DWORD error = 0;
    kv::CrashInfo crash = kv::crash_guard([&] {
      copied = copy_oem_inf(kv::as_wide(path), nullptr, kSourceIsPath, 0, final_path, MAX_PATH, nullptr, nullptr);
      if (!copied) error = GetLastError();
    });
    if (crash) {
      log_text("CRASHED!\r\n");
      continue;
    }
    if (!copied) {
      log_wide(driver_failure_text(error, kv::system_message(error)));
      continue;
    }
    final_path[MAX_PATH - 1] = 0;
    const std::u16string installed = kv::from_wide(final_path);
    log_wide(driver_success_text(installed));
    if (!installed.empty()) uninstall::add_driver_package(uninstall::uninstall_data, installed);
  }
}

// A key of the 64-bit registry view, named the way the removal list records
// it.
kv::UniqueRegKey create_64_bit_key(const std::u16string& path, LONG& error) {
  std::optional<kv::RegistryKeyPath> key = kv::parse_registry_key_path(path);
  if (!key) {
    error = ERROR_INVALID_NAME;
    return {};
  }
  return kv::reg_create(kv::root_key(key->root), key->key, KEY_READ | KEY_WRITE, kv::RegView::wow64_64, &error);
}

// ERROR_SUCCESS, or the first failure's error. Each key is recorded for
// removal as soon as it exists.
LONG write_applet_keys(const AppletKeys& keys, const std::u16string& name, const std::u16string& destination) {
  LONG first_error = ERROR_SUCCESS;
  auto note = [&first_error](LONG error) {
    if (first_error == ERROR_SUCCESS) first_error = error;
  };
  LONG error = ERROR_SUCCESS;
  if (kv::UniqueRegKey class_key = create_64_bit_key(keys.class_key, error)) {
    uninstall::add_to_removal_list_w(uninstall::uninstall_data, keys.class_key, uninstall::RemovalKind::registry_key_64);
    note(kv::reg_write_string(class_key.get(), u"", name));
    // Only a nicety: the applet is usable without its icon.
    if (kv::UniqueRegKey icon = create_64_bit_key(keys.icon_key, error)) kv::reg_write_string(icon.get(), u"", destination);
    kv::UniqueRegKey command = create_64_bit_key(keys.command_key, error);
    note(command ? kv::reg_write_string(command.get(), u"", keys.command) : error);
  } else {
    note(error);
  }
  if (kv::UniqueRegKey name_space = create_64_bit_key(keys.namespace_key, error)) {
    note(kv::reg_write_string(name_space.get(), u"", name));
    uninstall::add_to_removal_list_w(uninstall::uninstall_data, keys.namespace_key,
                                     uninstall::RemovalKind::registry_key_64);
  } else {
    note(error);
  }
  return first_error;
}

void activate_main_window() {
  kv::pump_messages();
  if (HWND window = setup::program.main_window) SetForegroundWindow(window);
}

}  // namespace

// With file-system redirection off (a 64-bit product), the system folder's
// regsvr32 is the 64-bit one, which registers the product's 64-bit servers.
std::uint32_t run_regsvr32(const std::u16string& server, bool unregister) {
  const std::u16string folder = kv::system_folder();
  kv::LaunchOptions options;
  options.hidden = true;
  options.working_folder = folder;
  kv::ChildProcess program = kv::ChildProcess::start(regsvr32_command(folder, server, unregister), options);
  if (!program) return program.start_error() ? program.start_error() : kNoExitCode;
  if (!program.wait(/*pump_messages=*/true)) return kNoExitCode;
  return program.exit_code().value_or(kNoExitCode);
}

kv::CrashInfo call_server_entry(const std::u16string& server, const char* entry_name, bool& called) {
  called = false;
  // Outside the guard, so that redirection is switched off again after a
  // crash too.
  kv::Wow64RedirectionPause pause;
  return kv::crash_guard([&] {
    // Its own dependencies are looked for beside it first, as regsvr32 does.
    kv::UniqueModule library(LoadLibraryExW(kv::as_wide(server), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    using Entry = HRESULT(STDAPICALLTYPE*)();
    if (auto entry = kv::library_function<Entry>(library.get(), entry_name)) {
      called = true;
      entry();
    }
  });
}

void install_msi_package(const setup::FileEntry& entry, const std::u16string& destination) {
  show_registering(destination);
  const PackagePlan plan = package_plan(entry.package_ui_level, entry.flags, setup::run.modes.silent);
  std::uint32_t result = kPackageCrashed;
  {
    // The installer library and the package's own code load libraries.
    kv::Wow64RedirectionPause pause;
    kv::crash_guard([&] {
      result = msi_install_product(destination, plan.ui_level, setup::program.main_window, L"REBOOT=R");
    });
  }
  const bool installed = package_installed(result);
  const std::u16string message =
      package_message(destination, result, installed ? std::u16string() : kv::system_error_text(result));
  if (installed) {
    // The restart the package asked for is the run's, since REBOOT=R kept
    // the package from restarting on its own.
    if (package_needs_restart(result)) require_restart();
    if (plan.record_for_uninstall) uninstall::add_msi_package(uninstall::uninstall_data, destination, plan.ui_level);
  } else {
    error_report_append(message);
  }
  log_wide(message);
}

void register_control_panel_applet(const setup::FileEntry& entry, const std::u16string& destination) {
  const std::u16string name = applet_name(kv::utf8_to_utf16(entry.label), destination);
  if (name.empty()) setup::corrupt_installer(kAppletWithoutName);
  show_registering(applet_step_item(name));
  log_wide_pieces({u"Registering control panel applet \"", name, u"\"..."});
  const std::u16string class_id = kv::from_marked(entry.extra_2);
  if (!usable_class_id(class_id)) setup::corrupt_installer(kAppletWithoutClassId);
  const AppletKeys keys = applet_keys(class_id, destination, kv::cp1252_to_utf16(entry.parameter_text));
  const LONG error = write_applet_keys(keys, name, destination);
  log_wide(applet_result_text(error == ERROR_SUCCESS, kv::system_error_text(static_cast<std::uint32_t>(error))));
}

void register_collected_components(const FileLoopLists& lists) {
  if (!lists.com_servers.empty() || !lists.type_libraries.empty()) {
    for (const std::string& server : lists.com_servers) register_com_server(kv::from_marked(server));
    if (!lists.type_libraries.empty()) {
      const TypeLibraryFunctions oleaut = [] {
        kv::Wow64RedirectionPause pause;
        return TypeLibraryFunctions();
      }();
      for (const std::string& library : lists.type_libraries) register_type_library(oleaut, kv::from_marked(library));
    }
    activate_main_window();
  }
  if (!lists.driver_infs.empty()) install_driver_packages(lists.driver_infs);
}

}  // namespace engine
