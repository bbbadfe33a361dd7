#pragma once
// What is known about a crash when its report is written: the exception,
// the processor's state, the process and the machine. Gathered on Windows by
// crash_facts_win.cpp; the report's text is a pure function of these.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace crash {

// The core library's own fatal-error code: its exception carries a text
// instead of a processor context.
inline constexpr std::uint32_t kFatalErrorCode = 0xD1EB17CC;
inline constexpr std::uint32_t kAccessViolation = 0xC0000005;
inline constexpr std::uint32_t kStackOverflow = 0xC00000FD;

struct Registers {
  std::uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0, edi = 0, esi = 0, eip = 0, ebp = 0, esp = 0;
  std::uint32_t flags = 0;
  std::uint32_t cs = 0, ds = 0, es = 0, fs = 0, gs = 0, ss = 0;
};

struct LoadedModule {
  std::uint32_t base = 0;
  std::uint32_t size = 0;
  std::string name;  // the file name
};

struct StackFrame {
  std::uint32_t frame = 0;    // the frame's address
  std::uint32_t address = 0;  // the program address in it
  std::string module;         // the module that holds the program address
  std::string symbol;         // empty when unknown
};

// 8-bit texts are in the system's ANSI code page.
struct CrashFacts {
  std::uint32_t code = 0;
  std::uint32_t address = 0;   // where it happened
  std::string fatal_text;      // the fatal-error code's text
  bool access_write = false;   // access violations: a write, not a read
  std::uint32_t access_address = 0;

  std::string product;         // application name, version and edition
  std::uint32_t thread_id = 0;
  std::uint32_t main_thread_id = 0;
  std::optional<std::string> times;  // process, kernel and user time, when known
  std::string os;
  std::string ie;
  std::optional<std::string> office_version;
  std::string office_detail;
  std::string language;
  std::uint32_t locale = 0;
  std::uint32_t codepage = 0;
  bool out_of_memory = false;  // an exhaustion happened earlier in the process
  std::string command_line;

  Registers registers;
  std::optional<std::vector<LoadedModule>> modules;  // none when the list could not be read
  std::vector<StackFrame> stack;                     // from the crash outward, at most 100

  bool fatal_error() const { return code == kFatalErrorCode; }
};

}  // namespace crash
