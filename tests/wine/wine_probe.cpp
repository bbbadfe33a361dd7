// Runs one core-library situation that ends the process, chosen by the first
// argument, so that a scenario test can watch the exit code and the trace.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <new>
#include <vector>

#include "dialogs.h"
#include "kv_core.h"
#include "win_handles.h"

namespace {

void nested_fatal(const char* text) { kv::fatal("second fatal inside the callback"); }

// Function-local statics: a slow first initialisation raced by two threads,
// and an initialiser that starts another static.
volatile LONG g_initialisations = 0;

int inner_static() {
  static int value = InterlockedIncrement(&g_initialisations) * 0 + 5;
  return value;
}

int slow_static() {
  static int value = [] {
    InterlockedIncrement(&g_initialisations);
    Sleep(300);
    return inner_static() + 1;
  }();
  return value;
}

DWORD WINAPI race_static(void*) { return static_cast<DWORD>(slow_static()); }

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  kv::reserve_memory();
  kv::install_trace_file_from_environment();
  kv::set_program_title(u"Tessaline Setup");
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::u16string mode = argc > 1 ? kv::from_wide(argv[1]) : u"";
  if (argc > 2 && kv::from_wide(argv[2]) == u"silent") kv::silent_switch.window_creation_disallowed = true;

  if (mode == u"fatal-in-callback") {
    kv::set_fatal_callback(nested_fatal);
    kv::fatal("first fatal");
  }
  if (mode == u"fatal-box") {
    kv::fatal_message_box(u"the fatal text");
    return 7;
  }
  if (mode == u"out-of-memory") {
    // 3 GB cannot be had by a 32-bit process.
    volatile std::size_t huge = 0xC0000000u;
    char* p = static_cast<char*>(::operator new(huge));
    p[0] = 1;
    return 0;
  }
  if (mode == u"exhaustion") {
    // Every allocation fails from here on, as when the address space is
    // used up: the report still comes out, without recursion.
    [[maybe_unused]] static void* volatile kept;
    for (std::size_t size = std::size_t(256) << 20; size >= 16; size /= 4)
      for (void* block = std::malloc(size); block; block = std::malloc(size)) kept = block;
    // No 64 KB block was left when the filling passed that size.
    kept = new char[65536];
    return 5;
  }
  if (mode == u"index-error") {
    // An index beyond a container's end, as a bug would make it.
    std::vector<int> values(3);
    volatile std::size_t index = 3;
    return values[index];
  }
  if (mode == u"library-error") {
    // An index beyond a container's end, as a bug would make it.
    std::vector<int> values;
    volatile std::size_t index = 1;
    return values.at(index);
  }
  if (mode == u"static-race") {
    HANDLE other = CreateThread(nullptr, 0, race_static, nullptr, 0, nullptr);
    const int mine = slow_static();
    WaitForSingleObject(other, INFINITE);
    DWORD theirs = 0;
    GetExitCodeThread(other, &theirs);
    CloseHandle(other);
    // Both see the value, and each static was initialised once.
    return mine == 6 && theirs == 6 && g_initialisations == 2 ? 0 : 4;
  }
  if (mode == u"launch") {
    // Starts TESS_COMMAND_LINE exactly as written (Wine would re-quote the
    // arguments of a Unix command line) and returns its exit code.
    wchar_t line[32768];
    if (!GetEnvironmentVariableW(L"TESS_COMMAND_LINE", line, 32768)) return 90;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 91;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 92;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    // A Unix parent sees only the low byte of an exit code: the whole one
    // goes to TESS_EXIT_CODE_FILE when that names a file.
    wchar_t exit_file[MAX_PATH];
    if (GetEnvironmentVariableW(L"TESS_EXIT_CODE_FILE", exit_file, MAX_PATH)) {
      kv::UniqueFile out(CreateFileW(exit_file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
      std::string text = std::to_string(code);
      DWORD written = 0;
      if (out) WriteFile(out.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    return static_cast<int>(code);
  }
  if (mode == u"hold" && argc > 3) {
    // Holds a file open without sharing for some seconds, as a running
    // program holds its own files; "ready" in the file named by argument 4
    // tells the test that the file is held.
    HANDLE file = CreateFileW(argv[2], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    if (argc > 4) {
      HANDLE ready = CreateFileW(argv[4], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      CloseHandle(ready);
    }
    Sleep(static_cast<DWORD>(_wtoi(argv[3])) * 1000);
    CloseHandle(file);
    return 0;
  }
  if (mode == u"message-box") {
    int pressed = kv::message_box(u"Is this centred?", u"Probe", MB_YESNOCANCEL | MB_ICONQUESTION);
    return pressed;
  }
  return 3;
}
