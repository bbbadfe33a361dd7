// A program that crashes on purpose, with the crash report's filter in
// place: the Wine tests check the report, its dialog and the form it sends.
// TESS_CRASH_FORM names the web form (a loopback server of the test).
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

#include "crash_report.h"
#include "kv_core.h"
#include "win_handles.h"

namespace {

// Exported, so that the report's call stack can name it even in a program
// without debugging information.
extern "C" __declspec(dllexport) __attribute__((noinline)) void probe_write_fault(int* target) {
  int* volatile where = target;
  *where = 7;
}

extern "C" __declspec(dllexport) __attribute__((noinline)) int probe_divide(int divisor) {
  volatile int d = divisor;
  return 100 / d;
}

// Deep enough to use up any stack; the depth check only keeps the compiler
// from seeing the recursion as endless.
extern "C" __declspec(dllexport) __attribute__((noinline)) int probe_recurse(int depth) {
  volatile char room[4096];
  room[0] = static_cast<char>(depth);
  if (depth > 1000000) return room[0];
  return probe_recurse(depth + 1) + room[0];
}

// A trace that crashes when the report reaches it, after leaving a mark: a
// crash inside the report.
void crashing_trace(std::u16string_view) {
  if (const char* mark = std::getenv("TESS_CRASH_MARK")) {
    kv::UniqueFile file(CreateFileA(mark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  probe_write_fault(reinterpret_cast<int*>(16));
}

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  kv::reserve_memory();
  kv::install_trace_file_from_environment();
  kv::set_program_title(u"Tessaline Setup");
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::u16string mode = argc > 1 ? kv::from_wide(argv[1]) : u"";
  if (argc > 2 && kv::from_wide(argv[2]) == u"silent") kv::silent_switch.window_creation_disallowed = true;

  crash::AppInfo info = crash::shipped_app_info();
  info.form_address = environment("TESS_CRASH_FORM");
  if (environment("TESS_CRASH_NO_SENDER") == "1") info.sender.clear();
  crash::install_crash_filter(info);

  if (mode == u"write") probe_write_fault(reinterpret_cast<int*>(0x1234));
  if (mode == u"divide") return probe_divide(0);
  if (mode == u"overflow") return probe_recurse(0);
  if (mode == u"breakpoint") DebugBreak();
  if (mode == u"cxx") RaiseException(0xE06D7363, 0, 0, nullptr);
  if (mode == u"inside-report") {
    kv::set_trace_hook(crashing_trace);
    probe_write_fault(nullptr);
  }
  return 3;
}
