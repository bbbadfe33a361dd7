#pragma once
// The author's command lists run as SETUPBAT.BAT: the file's text, built
// from the commands and the folders and facts of the run. Pure; the runner
// that writes, starts and waits for it is in batch_runner.h.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "os_version.h"
#include "path_variables.h"

namespace integration {

inline constexpr char16_t kBatchFileName[] = u"SETUPBAT.BAT";
inline constexpr char16_t kBatchCaptureName[] = u"cs_batch.log";

// One "SET" line of the preamble: the variable the batch sees, the path
// variable that gives its value, and whether the whole assignment is quoted
// ("SET \"Name=value\"").
struct BatchVariable {
  std::string_view name;
  engine::PathVar value;
  bool quoted;
};
// The preamble's variables in file order: 37 quoted, then 11 bare.
std::span<const BatchVariable> batch_variables();

// The author's commands without the lines that only pause ("PAUSE" in any
// case, blanks and one leading "@" allowed): a batch that nobody watches
// must not wait for a key.
std::u16string remove_pause_lines(std::u16string_view commands);

// The author's commands with the command line's extra commands behind them,
// on a line of their own.
std::string append_extra_commands(std::string_view commands, std::string_view extra);

// UTF-8 with code page 65001 from Windows 7 on, and only for text that is not
// plain ASCII; code page 1252 otherwise.
bool batch_uses_utf8(const kv::OsVersion& os, bool text_is_ascii);

struct BatchFile {
  std::string bytes;
  bool utf8 = false;  // the file and therefore the batch's output are UTF-8
};

// The whole file: the code-page line, "@echo off", the SET lines with the
// values `value` gives, the commands (PAUSE lines removed when
// `remove_pause`) and a final line end.
BatchFile build_batch_file(std::u16string_view commands, const std::function<std::u16string(engine::PathVar)>& value,
                           bool remove_pause, const kv::OsVersion& os);

// The command interpreter: the expanded %ComSpec% when it is set, else
// command.com in the Windows folder on the 9x systems, else cmd.exe in the
// 32-bit system folder.
std::u16string command_interpreter(std::u16string_view comspec, const kv::OsVersion& os,
                                   std::u16string_view windows_folder, std::u16string_view system32_folder);

// "\"interpreter\" /c \"batch\"", with " > \"capture\"" when the output is
// captured. What follows /c is wrapped in one more pair of quotes: the
// command interpreter drops the first and the last quote there whenever the
// text holds more than one quoted name or a character such as "(" (as in
// "Program Files (x86)").
std::u16string batch_command_line(std::u16string_view interpreter, std::u16string_view batch_path,
                                  std::u16string_view capture_path);

// The captured output as the log takes it: blanks and line ends trimmed at
// both ends, then one line end and an empty line; empty when nothing was
// printed.
std::u16string batch_output_for_log(std::u16string_view output);

}  // namespace integration
