#include "batch_file.h"

#include "paths.h"
#include "text.h"

namespace integration {

using engine::PathVar;

namespace {

constexpr BatchVariable kVariables[] = {
    {"InstallDir", PathVar::InstallDir, true},
    {"Bits", PathVar::Bits, true},
    {"UninstallDir", PathVar::UninstallDir, true},
    {"SharedDir", PathVar::SharedDir, true},
    {"InstallerFilepath", PathVar::InstallerFilepath, true},
    {"InstallerDir", PathVar::InstallerDir, true},
    {"InstallerFilename", PathVar::InstallerFilename, true},
    {"InstallerDrive", PathVar::InstallerDrive, true},
    {"SystemDir", PathVar::SystemDir, true},
    {"DeviceDir", PathVar::DeviceDir, true},
    {"MediaDir", PathVar::MediaDir, true},
    {"FavoritesDir", PathVar::FavoritesDir, true},
    {"FavoritesAllDir", PathVar::FavoritesAllDir, true},
    {"FontDir", PathVar::FontDir, true},
    {"DesktopDir", PathVar::DesktopDir, true},
    {"DesktopAllDir", PathVar::DesktopAllDir, true},
    {"DesktopShortcuts", PathVar::DesktopShortcuts, true},
    {"DocumentDir", PathVar::DocumentDir, true},
    {"DocumentAllDir", PathVar::DocumentAllDir, true},
    {"ProductName", PathVar::ProductName, true},
    {"CompanyName", PathVar::CompanyName, true},
    {"ProgramsDir", PathVar::ProgramsDir, true},
    {"ProgramsDir32", PathVar::ProgramsDir32, true},
    {"ProgramsDir64", PathVar::ProgramsDir64, true},
    {"StartMenuAllDir", PathVar::StartMenuAllDir, true},
    {"StartMenuChosen", PathVar::StartMenuChosen, true},
    {"StartMenuDir", PathVar::StartMenuDir, true},
    {"SMProgramsDir", PathVar::SMProgramsDir, true},
    {"SMProgramsAllDir", PathVar::SMProgramsAllDir, true},
    {"StartupDir", PathVar::StartupDir, true},
    {"StartupAllDir", PathVar::StartupAllDir, true},
    {"CommonDir", PathVar::CommonDir, true},
    {"CommonDir32", PathVar::CommonDir32, true},
    {"CommonDir64", PathVar::CommonDir64, true},
    {"Inetpub", PathVar::Inetpub, true},
    {"AppDataDir", PathVar::AppDataDir, true},
    {"AppDataAllDir", PathVar::AppDataAllDir, true},
    {"InstallDrive", PathVar::InstallDrive, false},
    {"BootDrive", PathVar::BootDrive, false},
    {"Version", PathVar::Version, false},
    {"OldVersion", PathVar::OldVersion, false},
    {"Portable", PathVar::Portable, false},
    {"OldVersionMajor", PathVar::OldVersionMajor, false},
    {"OldVersionMinor", PathVar::OldVersionMinor, false},
    {"OS", PathVar::OS, false},
    {"OSMajor", PathVar::OSMajor, false},
    {"OSMinor", PathVar::OSMinor, false},
    {"OSName", PathVar::OSName, false},
};

bool blank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view trim_blanks(std::u16string_view text) {
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool is_pause_line(std::u16string_view line) {
  if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
  line = trim_blanks(line);
  if (!line.empty() && line.front() == u'@') line = trim_blanks(line.substr(1));
  return kv::iequals(line, u"PAUSE");
}

bool ends_with_line_end(std::u16string_view text) {
  return !text.empty() && (text.back() == u'\n' || text.back() == u'\r');
}

}  // namespace

std::span<const BatchVariable> batch_variables() { return kVariables; }

std::u16string remove_pause_lines(std::u16string_view commands) {
  std::u16string kept;
  while (!commands.empty()) {
    std::size_t end = commands.find(u'\n');
    std::size_t next = end == std::u16string_view::npos ? commands.size() : end + 1;
    std::u16string_view line = commands.substr(0, next);
    std::u16string_view content = line;
    if (!content.empty() && content.back() == u'\n') content.remove_suffix(1);
    if (!is_pause_line(content)) kept += line;
    commands.remove_prefix(next);
  }
  return kept;
}

std::string append_extra_commands(std::string_view commands, std::string_view extra) {
  std::string text(commands);
  if (extra.empty()) return text;
  if (!text.empty() && text.back() != '\n' && text.back() != '\r') text += "\r\n";
  text += extra;
  return text;
}

bool batch_uses_utf8(const kv::OsVersion& os, bool text_is_ascii) {
  bool windows7_or_later = os.platform == kv::kPlatformNt && (os.major > 6 || (os.major == 6 && os.minor >= 1));
  return windows7_or_later && !text_is_ascii;
}

BatchFile build_batch_file(std::u16string_view commands, const std::function<std::u16string(engine::PathVar)>& value,
                           bool remove_pause, const kv::OsVersion& os) {
  std::u16string body = u"@echo off\r\n";
  for (const BatchVariable& v : kVariables) {
    std::u16string name = kv::ascii_to_utf16(v.name);
    if (v.quoted)
      body += u"SET \"" + name + u"=" + value(v.value) + u"\"\r\n";
    else
      body += u"SET " + name + u"=" + value(v.value) + u"\r\n";
  }
  std::u16string author = remove_pause ? remove_pause_lines(commands) : std::u16string(commands);
  body += author;
  if (!author.empty() && !ends_with_line_end(author)) body += u"\r\n";

  BatchFile file;
  file.utf8 = batch_uses_utf8(os, kv::is_ascii(body));
  if (file.utf8)
    file.bytes = "@chcp 65001 >nul\r\n" + kv::utf16_to_utf8(body);
  else
    file.bytes = "@chcp 1252 >nul\r\n" + kv::utf16_to_cp1252(body);
  return file;
}

std::u16string command_interpreter(std::u16string_view comspec, const kv::OsVersion& os,
                                   std::u16string_view windows_folder, std::u16string_view system32_folder) {
  if (!comspec.empty()) return std::u16string(comspec);
  if (os.platform == kv::kPlatform9x && os.major == 4) return kv::join_path(windows_folder, u"command.com");
  return kv::join_path(system32_folder, u"cmd.exe");
}

std::u16string batch_command_line(std::u16string_view interpreter, std::u16string_view batch_path,
                                  std::u16string_view capture_path) {
  std::u16string line = u"\"";
  line.append(interpreter).append(u"\" /c \"\"").append(batch_path).append(u"\"");
  if (!capture_path.empty()) line.append(u" > \"").append(capture_path).append(u"\"");
  return line + u'"';
}

std::u16string batch_output_for_log(std::u16string_view output) {
  auto space = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
  while (!output.empty() && space(output.front())) output.remove_prefix(1);
  while (!output.empty() && space(output.back())) output.remove_suffix(1);
  if (output.empty()) return {};
  return std::u16string(output) + u"\r\n\r\n";
}

}  // namespace integration
