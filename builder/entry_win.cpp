// The builder's entry on Windows: UTF-16 arguments become UTF-8, and the
// console shows the UTF-8 messages as they are.
#include <windows.h>
#include <io.h>

#include <cstdio>

#include "builder_main.h"
#include "kv_core.h"

int wmain(int argc, wchar_t** argv) {
  SetConsoleOutputCP(CP_UTF8);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(kv::utf16_to_utf8(reinterpret_cast<const char16_t*>(argv[i])));
  builder::ProgramContext context;
  std::wstring own(32768, L'\0');
  DWORD length = GetModuleFileNameW(nullptr, own.data(), static_cast<DWORD>(own.size()));
  own.resize(length);
  context.program = std::filesystem::path(own);
  context.error_stream_is_terminal = _isatty(_fileno(stderr)) != 0;
  return builder::run_builder(args, context);
}
