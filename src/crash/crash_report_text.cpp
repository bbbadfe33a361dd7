#include "crash_report_text.h"

#include <cstdio>

namespace crash {
namespace {

struct Description {
  std::uint32_t code;
  const char* text;
};

constexpr Description kDescriptions[] = {
    {0xC0000005, "Illegal memory access."},
    {0xC000008C, "Array element is out of bounds."},
    {0x80000003, "Breakpoint encountered."},
    {0x80000002, "Misaligned memory access."},
    {0xC000008D, "One of the operands in a floating-point operation is denormal (too small to represent)."},
    {0xC000008E, "Floating-point division by zero."},
    {0xC000008F, "Floating-point operation cannot be represented exactly as a decimal fraction."},
    {0xC0000090, "Invalid floating point operation."},
    {0xC0000091,
     "The exponent of a floating-point operation is greater than the magnitude allowed by the corresponding type."},
    {0xC0000092, "The stack overflowed or underflowed as the result of a floating-point operation."},
    {0xC0000093,
     "The exponent of a floating-point operation is less than the magnitude allowed by the corresponding type."},
    {0xC000001D, "Invalid instruction executed."},
    {0xC0000006, "Failed to load page into physical memory."},
    {0xC0000094, "Integer divide by zero."},
    {0xC0000095, "Integer overflow."},
    {0xC0000026, "An exception handler returned an invalid disposition."},
    {0xC0000025, "Cannot continue after a noncontinuable exception occurred."},
    {0xC0000096, "Attempt to execute a privileged instruction."},
    {0x80000004, "Single step."},
    {0xC00000FD, "Stack overflow."},
    {0xC000013A, "Ctrl+C pressed."},
    {0x80000001, "Memory Allocated as PAGE_GUARD by VirtualAlloc() was accessed."},
    {0xC0000017,
     "Called by HeapAlloc() if you specify HEAP_GENERATE_EXCEPTIONS and there is no memory or heap corruption."},
    {0xC015000F, "The activation context being deactivated is not the most recently activated one."},
    {0xE06D7363, "Visual C++ structured exception handling."},
};

constexpr char kOutOfMemory[] = "Out Of Memory";

std::string hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
  return text;
}

void line(std::string& out, std::string_view label, std::string_view value) {
  out.append(label).append(value).append("\r\n");
}

void registers(std::string& out, const Registers& r) {
  out.append("\r\nCPU Registers:\r\nFlags: ").append(hex(r.flags));
  const std::pair<const char*, std::uint32_t> general[] = {{"EAX", r.eax}, {"EBX", r.ebx}, {"ECX", r.ecx},
                                                           {"EDX", r.edx}, {"EDI", r.edi}, {"ESI", r.esi},
                                                           {"EIP", r.eip}, {"EBP", r.ebp}, {"ESP", r.esp}};
  for (const auto& [name, value] : general) out.append("\r\n  ").append(name).append(": ").append(hex(value));
  const std::pair<const char*, std::uint32_t> segments[] = {{"CS", r.cs}, {"DS", r.ds}, {"ES", r.es},
                                                            {"FS", r.fs}, {"GS", r.gs}, {"SS", r.ss}};
  for (const auto& [name, value] : segments) out.append("\r\n   ").append(name).append(": ").append(hex(value));
}

}  // namespace

std::string_view exception_description(std::uint32_t code) {
  for (const Description& d : kDescriptions)
    if (d.code == code) return d.text;
  return {};
}

std::string module_of(const std::vector<LoadedModule>& modules, std::uint32_t address) {
  for (const LoadedModule& m : modules)
    if (address >= m.base && address - m.base < m.size) return m.name;
  return {};
}

std::string crash_report_text(const CrashFacts& f) {
  std::string out;
  const bool processor = !f.fatal_error();
  if (processor)
    line(out, "Exception: ", exception_description(f.code));
  else
    line(out, "Fatal error: ", f.fatal_text);
  line(out, "\r\nProduct: ", f.product);
  if (processor) {
    out.append("Exception code: ").append(hex(f.code));
    line(out, "\r\nAddress: ", hex(f.address));
    if (f.modules) line(out, "Module: ", module_of(*f.modules, f.address));
    if (f.code == kAccessViolation) {
      out.append("Read/write: ").append(f.access_write ? "write" : "read");
      line(out, "\r\nMemory address: ", hex(f.access_address));
    }
  }
  out.append("Thread ID: ").append(std::to_string(f.thread_id));
  line(out, "  Main Thread: ", std::to_string(f.main_thread_id));
  if (f.times) line(out, "Process/kernel/user time: ", *f.times);
  line(out, "OS: ", f.os);
  line(out, "IE: ", f.ie);
  if (f.office_version) line(out, "Office: ", *f.office_version + " (" + f.office_detail + ")");
  line(out, "Language: ", f.language);
  out.append("Locale: 0x").append(hex(f.locale));
  line(out, "  Codepage: ", std::to_string(f.codepage));
  // The fatal path's own out-of-memory report says so itself.
  if (f.out_of_memory && !(f.fatal_error() && f.fatal_text.starts_with(kOutOfMemory)))
    out.append("A previous out-of-memory condition occurred.\r\n");
  if (!f.command_line.empty()) line(out, "Command line: ", f.command_line);
  if (processor) {
    registers(out, f.registers);
    out.append("\r\n");
  }
  if (f.modules) {
    out.append("\r\nModules:\r\n");
    for (const LoadedModule& m : *f.modules)
      line(out, hex(m.base) + " " + hex(m.base + m.size - 1) + " ", m.name);
  }
  out.append("\r\nCall Stack:\r\n");
  std::size_t frames = 0;
  for (const StackFrame& frame : f.stack) {
    if (frame.frame == 0 || frame.address == 0 || frames++ == kMaxStackFrames) break;
    out.append(hex(frame.frame)).append(" ").append(hex(frame.address)).append(" ").append(frame.module);
    if (!frame.symbol.empty()) out.append(" ").append(frame.symbol.substr(0, kMaxSymbolLength));
    out.append("\r\n");
  }
  return out;
}

}  // namespace crash
