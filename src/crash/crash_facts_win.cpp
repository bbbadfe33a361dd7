#include "crash_facts_win.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "crash_report_text.h"
#include "memory.h"
#include "os_version.h"
#include "registry.h"
#include "system_library.h"
#include "text.h"
#include "win_handles.h"

namespace crash {
namespace {

// The debug-help library's parts the call stack needs, declared here so that
// the runtime does not depend on its header.
struct Address64 {
  DWORD64 Offset;
  WORD Segment;
  DWORD Mode;  // 3: flat
};
struct KernelHelp64 {
  DWORD64 Thread, ThCallbackStack, ThCallbackBStore, NextCallback, FramePointer, KiCallUserMode,
      KeUserCallbackDispatcher, SystemRangeStart, KiUserExceptionDispatcher, StackBase, StackLimit, Reserved[5];
};
struct StackFrame64 {
  Address64 AddrPC, AddrReturn, AddrFrame, AddrStack, AddrBStore;
  PVOID FuncTableEntry;
  DWORD64 Params[4];
  BOOL Far, Virtual;
  DWORD64 Reserved[3];
  KernelHelp64 KdHelp;
};
struct SymbolInfo {
  ULONG SizeOfStruct, TypeIndex;
  ULONG64 Reserved[2];
  ULONG Index, Size;
  ULONG64 ModBase;
  ULONG Flags;
  ULONG64 Value, Address;
  ULONG Register, Scope, Tag, NameLen, MaxNameLen;
  CHAR Name[1];
};
constexpr DWORD kAddressFlat = 3;
constexpr DWORD kMachineI386 = 0x014C;

using SymInitializeFn = BOOL(WINAPI*)(HANDLE, PCSTR, BOOL);
using SymSetOptionsFn = DWORD(WINAPI*)(DWORD);
constexpr DWORD kSymbolOptions = 0x00000002 | 0x00000004 | 0x00000010;  // undecorated names, deferred loads, lines
using SymCleanupFn = BOOL(WINAPI*)(HANDLE);
using StackWalk64Fn = BOOL(WINAPI*)(DWORD, HANDLE, HANDLE, StackFrame64*, PVOID, PVOID, PVOID, PVOID, PVOID);
using SymFunctionTableAccess64Fn = PVOID(WINAPI*)(HANDLE, DWORD64);
using SymGetModuleBase64Fn = DWORD64(WINAPI*)(HANDLE, DWORD64);
using SymFromAddrFn = BOOL(WINAPI*)(HANDLE, DWORD64, DWORD64*, SymbolInfo*);

std::string ansi_of(const wchar_t* text) { return kv::utf16_to_ansi(kv::from_wide(text)); }

std::optional<std::vector<LoadedModule>> modules_from_snapshot() {
  kv::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId()));
  if (!snapshot) return std::nullopt;
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof entry;
  if (!Module32FirstW(snapshot.get(), &entry)) return std::nullopt;
  std::vector<LoadedModule> modules;
  do {
    modules.push_back({static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(entry.modBaseAddr)),
                       entry.modBaseSize, ansi_of(entry.szModule)});
  } while (Module32NextW(snapshot.get(), &entry));
  return modules;
}

std::optional<std::vector<LoadedModule>> modules_from_psapi() {
  kv::UniqueModule psapi = kv::load_system_library(L"psapi.dll");
  struct ModuleInfo {
    LPVOID base;
    DWORD size;
    LPVOID entry;
  };
  auto enumerate = kv::library_function<BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, LPDWORD)>(psapi.get(), "EnumProcessModules");
  auto base_name = kv::library_function<DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD)>(psapi.get(), "GetModuleBaseNameA");
  auto information =
      kv::library_function<BOOL(WINAPI*)(HANDLE, HMODULE, ModuleInfo*, DWORD)>(psapi.get(), "GetModuleInformation");
  if (!enumerate || !base_name || !information) return std::nullopt;
  HMODULE handles[1024];
  DWORD needed = 0;
  HANDLE process = GetCurrentProcess();
  if (!enumerate(process, handles, sizeof handles, &needed)) return std::nullopt;
  std::vector<LoadedModule> modules;
  for (DWORD i = 0; i < needed / sizeof(HMODULE) && i < 1024; ++i) {
    ModuleInfo info{};
    char name[MAX_PATH] = {};
    if (!information(process, handles[i], &info, sizeof info)) continue;
    base_name(process, handles[i], name, MAX_PATH);
    modules.push_back({static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(info.base)), info.size, name});
  }
  return modules;
}

// The export of the module nearest below the address, for modules the
// debug-help library has no symbols of.
std::string nearest_export(const std::vector<LoadedModule>& modules, std::uint32_t address) {
  for (const LoadedModule& m : modules) {
    if (address < m.base || address - m.base >= m.size) continue;
    const auto* base = reinterpret_cast<const std::uint8_t*>(static_cast<std::uintptr_t>(m.base));
    auto inside = [&](std::uint32_t rva, std::uint32_t length) { return rva < m.size && length <= m.size - rva; };
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (!inside(0, sizeof *dos) || dos->e_magic != IMAGE_DOS_SIGNATURE) return {};
    const std::uint32_t nt_rva = static_cast<std::uint32_t>(dos->e_lfanew);
    if (!inside(nt_rva, sizeof(IMAGE_NT_HEADERS32))) return {};
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + nt_rva);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (dir.VirtualAddress == 0 || !inside(dir.VirtualAddress, sizeof(IMAGE_EXPORT_DIRECTORY))) return {};
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    const std::uint32_t count = exports->NumberOfNames;
    if (!inside(exports->AddressOfNames, count * 4) || !inside(exports->AddressOfNameOrdinals, count * 2) ||
        !inside(exports->AddressOfFunctions, exports->NumberOfFunctions * 4))
      return {};
    const auto* names = reinterpret_cast<const std::uint32_t*>(base + exports->AddressOfNames);
    const auto* ordinals = reinterpret_cast<const std::uint16_t*>(base + exports->AddressOfNameOrdinals);
    const auto* functions = reinterpret_cast<const std::uint32_t*>(base + exports->AddressOfFunctions);
    const std::uint32_t target = address - m.base;
    std::uint32_t best = 0;
    const char* best_name = nullptr;
    for (std::uint32_t i = 0; i < count; ++i) {
      if (ordinals[i] >= exports->NumberOfFunctions || !inside(names[i], 1)) continue;
      const std::uint32_t rva = functions[ordinals[i]];
      if (rva <= target && rva >= best) {
        best = rva;
        best_name = reinterpret_cast<const char*>(base + names[i]);
      }
    }
    if (!best_name) return {};
    // The distance tells a reader how far the address lies past the name:
    // a function without an export of its own counts from the one before.
    std::string name(best_name, strnlen(best_name, std::min<std::size_t>(kMaxSymbolLength, m.size - best)));
    char offset[16];
    std::snprintf(offset, sizeof offset, "+0x%X", static_cast<unsigned>(target - best));
    return target == best ? name : name + offset;
  }
  return {};
}

std::vector<StackFrame> call_stack(const CONTEXT& context, const std::optional<std::vector<LoadedModule>>& modules) {
  std::vector<StackFrame> frames;
  kv::UniqueModule dbghelp = kv::load_system_library(L"dbghelp.dll");
  auto initialize = kv::library_function<SymInitializeFn>(dbghelp.get(), "SymInitialize");
  auto cleanup = kv::library_function<SymCleanupFn>(dbghelp.get(), "SymCleanup");
  auto walk = kv::library_function<StackWalk64Fn>(dbghelp.get(), "StackWalk64");
  auto table_access = kv::library_function<SymFunctionTableAccess64Fn>(dbghelp.get(), "SymFunctionTableAccess64");
  auto module_base = kv::library_function<SymGetModuleBase64Fn>(dbghelp.get(), "SymGetModuleBase64");
  auto from_address = kv::library_function<SymFromAddrFn>(dbghelp.get(), "SymFromAddr");
  if (!initialize || !walk || !table_access || !module_base) return frames;

  HANDLE process = GetCurrentProcess();
  if (auto options = kv::library_function<SymSetOptionsFn>(dbghelp.get(), "SymSetOptions")) options(kSymbolOptions);
  if (!initialize(process, nullptr, TRUE)) return frames;
  CONTEXT walked = context;  // the walk changes it
  StackFrame64 frame{};
  frame.AddrPC = {context.Eip, 0, kAddressFlat};
  frame.AddrFrame = {context.Ebp, 0, kAddressFlat};
  frame.AddrStack = {context.Esp, 0, kAddressFlat};
  alignas(8) char symbol_space[sizeof(SymbolInfo) + kMaxSymbolLength + 1];
  while (frames.size() < kMaxStackFrames &&
         walk(kMachineI386, process, GetCurrentThread(), &frame, &walked, nullptr,
              reinterpret_cast<PVOID>(table_access), reinterpret_cast<PVOID>(module_base), nullptr)) {
    StackFrame out;
    out.frame = static_cast<std::uint32_t>(frame.AddrFrame.Offset);
    out.address = static_cast<std::uint32_t>(frame.AddrPC.Offset);
    if (out.frame == 0 || out.address == 0) break;
    if (modules) out.module = module_of(*modules, out.address);
    if (from_address) {
      auto* symbol = reinterpret_cast<SymbolInfo*>(symbol_space);
      *symbol = {};
      symbol->SizeOfStruct = sizeof(SymbolInfo);
      symbol->MaxNameLen = kMaxSymbolLength;
      DWORD64 displacement = 0;
      if (from_address(process, out.address, &displacement, symbol))
        out.symbol.assign(symbol->Name, std::min<std::size_t>(symbol->NameLen, kMaxSymbolLength));
    }
    if (out.symbol.empty() && modules) out.symbol = nearest_export(*modules, out.address);
    frames.push_back(std::move(out));
  }
  if (cleanup) cleanup(process);
  return frames;
}

std::string duration(const FILETIME& time) {
  ULARGE_INTEGER ticks;
  ticks.LowPart = time.dwLowDateTime;
  ticks.HighPart = time.dwHighDateTime;
  const unsigned long long ms = ticks.QuadPart / 10000;
  char text[32];
  std::snprintf(text, sizeof text, "%llu:%02llu:%02llu.%03llu", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60,
                ms % 1000);
  return text;
}

std::optional<std::string> process_times() {
  FILETIME created, exited, kernel, user, now;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return std::nullopt;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER a, b;
  a.LowPart = created.dwLowDateTime;
  a.HighPart = created.dwHighDateTime;
  b.LowPart = now.dwLowDateTime;
  b.HighPart = now.dwHighDateTime;
  ULARGE_INTEGER running;
  running.QuadPart = b.QuadPart > a.QuadPart ? b.QuadPart - a.QuadPart : 0;
  FILETIME elapsed{running.LowPart, running.HighPart};
  return duration(elapsed) + " / " + duration(kernel) + " / " + duration(user);
}

std::string registry_text(const char16_t* key_path, const char16_t* name) {
  kv::UniqueRegKey key = kv::reg_open(HKEY_LOCAL_MACHINE, key_path, KEY_READ, kv::RegView::native32);
  return key ? kv::utf16_to_ansi(kv::reg_read_string(key.get(), name).value_or(u"")) : std::string();
}

std::string internet_explorer_version() {
  constexpr char16_t kKey[] = u"Software\\Microsoft\\Internet Explorer";
  std::string version = registry_text(kKey, u"svcVersion");
  return version.empty() ? registry_text(kKey, u"Version") : version;
}

// The newest Office that names its installation folder.
void find_office(CrashFacts& facts) {
  for (const char16_t* version : {u"16.0", u"15.0", u"14.0", u"12.0", u"11.0", u"10.0", u"9.0"}) {
    std::u16string key = u"Software\\Microsoft\\Office\\" + std::u16string(version) + u"\\Common\\InstallRoot";
    std::string path = registry_text(key.c_str(), u"Path");
    if (path.empty()) continue;
    facts.office_version = kv::utf16_to_ansi(version);
    facts.office_detail = path;
    return;
  }
}

std::string ui_language() {
  wchar_t name[128] = {};
  if (!GetLocaleInfoW(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), LOCALE_SENGLANGUAGE, name, 128)) return {};
  return ansi_of(name);
}

std::string os_text() {
  const kv::OsVersion& os = kv::os_version();
  return kv::os_long_name(os) + " (" + std::to_string(os.major) + "." + std::to_string(os.minor) + "." +
         std::to_string(os.build) + ")";
}

}  // namespace

CrashFacts gather_crash_facts(const EXCEPTION_RECORD& record, const CONTEXT& context, DWORD thread_id,
                              DWORD main_thread_id, const std::string& product) {
  CrashFacts f;
  f.code = record.ExceptionCode;
  f.address = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(record.ExceptionAddress));
  if (f.code == kFatalErrorCode && record.NumberParameters >= 1 && record.ExceptionInformation[0])
    f.fatal_text = reinterpret_cast<const char*>(record.ExceptionInformation[0]);
  if (f.code == kAccessViolation && record.NumberParameters >= 2) {
    f.access_write = record.ExceptionInformation[0] == 1;
    f.access_address = static_cast<std::uint32_t>(record.ExceptionInformation[1]);
  }
  f.product = product;
  f.thread_id = thread_id;
  f.main_thread_id = main_thread_id;
  f.times = process_times();
  f.os = os_text();
  f.ie = internet_explorer_version();
  find_office(f);
  f.language = ui_language();
  f.locale = GetUserDefaultLCID();
  f.codepage = GetACP();
  f.out_of_memory = kv::memory_state().out_of_memory;
  f.command_line = GetCommandLineA();
  if (!f.fatal_error()) {
    const CONTEXT& c = context;
    f.registers = {c.Eax, c.Ebx, c.Ecx, c.Edx, c.Edi, c.Esi, c.Eip, c.Ebp, c.Esp, c.EFlags,
                   c.SegCs, c.SegDs, c.SegEs, c.SegFs, c.SegGs, c.SegSs};
  }
  f.modules = modules_from_snapshot();
  if (!f.modules) f.modules = modules_from_psapi();
  if (!f.fatal_error()) f.stack = call_stack(context, f.modules);
  return f;
}

}  // namespace crash
