// SETUPBAT.BAT as text, the command line that runs it, and the PATH edit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch_file.h"
#include "path_environment.h"
#include "text.h"

namespace {

using engine::PathVar;
using integration::PathChange;

kv::OsVersion windows(std::uint32_t major, std::uint32_t minor) {
  kv::OsVersion os;
  os.major = major;
  os.minor = minor;
  return os;
}

std::u16string test_value(PathVar var) {
  switch (var) {
    case PathVar::InstallDir: return u"C:\\Program Files\\Tool";
    case PathVar::InstallDrive: return u"C:";
    case PathVar::OSName: return u"10";
    case PathVar::AppDataAllDir: return u"C:\\ProgramData";
    default: return u"v";
  }
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
  return lines;
}

std::string build(std::u16string_view commands, bool remove_pause, const kv::OsVersion& os = windows(10, 0)) {
  return integration::build_batch_file(commands, test_value, remove_pause, os).bytes;
}

TEST(BatchFile, PreambleQuotesTheFirst37Assignments) {
  std::vector<std::string> lines = lines_of(build(u"echo done", false));
  ASSERT_EQ(lines.size(), 2u + 48u + 1u);
  EXPECT_EQ(lines[0], "@chcp 1252 >nul");
  EXPECT_EQ(lines[1], "@echo off");
  int quoted = 0, bare = 0;
  for (std::size_t i = 2; i < 50; ++i) {
    const std::string& line = lines[i];
    ASSERT_TRUE(line.starts_with("SET ")) << line;
    if (line.starts_with("SET \"") && line.ends_with("\"")) {
      EXPECT_EQ(bare, 0) << "quoted after bare: " << line;
      ++quoted;
    } else {
      ++bare;
    }
  }
  EXPECT_EQ(quoted, 37);
  EXPECT_EQ(bare, 11);
  EXPECT_EQ(lines[2], "SET \"InstallDir=C:\\Program Files\\Tool\"");
  EXPECT_EQ(lines[38], "SET \"AppDataAllDir=C:\\ProgramData\"");
  EXPECT_EQ(lines[39], "SET InstallDrive=C:");
  EXPECT_EQ(lines[49], "SET OSName=10");
  EXPECT_EQ(lines[50], "echo done");
}

TEST(BatchFile, PauseLinesGoOnlyWhenAsked) {
  const std::string preamble = build(u"", false);
  EXPECT_EQ(build(u"PAUSE", true), preamble);
  EXPECT_EQ(build(u"PAUSE", false), preamble + "PAUSE\r\n");

  EXPECT_EQ(integration::remove_pause_lines(u"copy a b\r\n@pause\r\n  Pause\t\r\n@ PAUSE\nPAUSE now\r\necho pause\r\npause"),
            u"copy a b\r\nPAUSE now\r\necho pause\r\n");
}

TEST(BatchFile, EncodingFollowsTheSystemAndTheText) {
  // Non-ASCII text from Windows 7 on: UTF-8 under code page 65001.
  std::string utf8 = build(u"echo caf\u00E9 \u4E2D", true, windows(10, 0));
  EXPECT_TRUE(utf8.starts_with("@chcp 65001 >nul\r\n@echo off\r\n"));
  EXPECT_TRUE(utf8.ends_with("echo caf\xC3\xA9 \xE4\xB8\xAD\r\n"));
  EXPECT_TRUE(integration::build_batch_file(u"\u00E9", test_value, true, windows(6, 1)).utf8);

  // Before Windows 7, and for ASCII text, code page 1252 ("?" where it has no
  // character).
  std::string vista = build(u"echo caf\u00E9 \u4E2D", true, windows(6, 0));
  EXPECT_TRUE(vista.starts_with("@chcp 1252 >nul\r\n"));
  EXPECT_TRUE(vista.ends_with("echo caf\xE9 ?\r\n"));
  EXPECT_TRUE(build(u"echo plain", true, windows(10, 0)).starts_with("@chcp 1252 >nul\r\n"));
}

TEST(BatchFile, ExtraCommandsGoOnALineOfTheirOwn) {
  EXPECT_EQ(integration::append_extra_commands("copy a b", "del c"), "copy a b\r\ndel c");
  EXPECT_EQ(integration::append_extra_commands("copy a b\r\n", "del c"), "copy a b\r\ndel c");
  EXPECT_EQ(integration::append_extra_commands("", "del c"), "del c");
  EXPECT_EQ(integration::append_extra_commands("copy a b", ""), "copy a b");
}

TEST(BatchFile, InterpreterAndCommandLine) {
  kv::OsVersion nt = windows(10, 0), me = windows(4, 90);
  me.platform = kv::kPlatform9x;
  EXPECT_EQ(integration::command_interpreter(u"D:\\shell\\cmd.exe", nt, u"C:\\Windows", u"C:\\Windows\\SysWOW64"),
            u"D:\\shell\\cmd.exe");
  EXPECT_EQ(integration::command_interpreter(u"", nt, u"C:\\Windows", u"C:\\Windows\\SysWOW64"),
            u"C:\\Windows\\SysWOW64\\cmd.exe");
  EXPECT_EQ(integration::command_interpreter(u"", me, u"C:\\WINDOWS", u"C:\\WINDOWS\\SYSTEM"),
            u"C:\\WINDOWS\\command.com");

  // The interpreter strips the outer pair and keeps the quoted names.
  EXPECT_EQ(integration::batch_command_line(u"C:\\cmd.exe", u"C:\\Program Files (x86)\\SETUPBAT.BAT", u""),
            u"\"C:\\cmd.exe\" /c \"\"C:\\Program Files (x86)\\SETUPBAT.BAT\"\"");
  EXPECT_EQ(integration::batch_command_line(u"C:\\cmd.exe", u"C:\\My App\\SETUPBAT.BAT", u"C:\\My App\\cs_batch.log"),
            u"\"C:\\cmd.exe\" /c \"\"C:\\My App\\SETUPBAT.BAT\" > \"C:\\My App\\cs_batch.log\"\"");
}

TEST(BatchFile, CapturedOutputIsTrimmedForTheLog) {
  EXPECT_EQ(integration::batch_output_for_log(u"\r\n  copied 1 file\r\nok\r\n\r\n"), u"copied 1 file\r\nok\r\n\r\n");
  EXPECT_EQ(integration::batch_output_for_log(u" \r\n\t"), u"");
}

TEST(PathEnvironment, AddAndRemove) {
  struct Case {
    const char16_t* path;
    const char16_t* folder;
    PathChange change;
    const char16_t* result;  // nullptr: unchanged
  };
  const Case cases[] = {
      {u"C:\\Windows;C:\\Tools", u"D:\\App", PathChange::add, u"C:\\Windows;C:\\Tools;D:\\App"},
      {u"C:\\Windows;", u"D:\\App", PathChange::add, u"C:\\Windows;D:\\App"},
      {u"C:\\Windows;d:\\app;C:\\Tools", u"D:\\App", PathChange::add, nullptr},  // other case
      {u"C:\\Windows;D:\\APP", u"D:\\App", PathChange::add, nullptr},             // last entry
      {u"C:\\Windows;X:\\D:\\App", u"D:\\App", PathChange::add, u"C:\\Windows;X:\\D:\\App;D:\\App"},
      {u"C:\\Windows;D:\\App;C:\\Tools", u"D:\\App", PathChange::remove, u"C:\\Windows;C:\\Tools"},
      {u"D:\\App;C:\\Tools", u"d:\\app", PathChange::remove, u"C:\\Tools"},
      {u"C:\\Windows;C:\\Tools;D:\\App", u"D:\\App", PathChange::remove, u"C:\\Windows;C:\\Tools"},
      {u"C:\\Windows;C:\\Tools", u"D:\\App", PathChange::remove, nullptr},
      // An entry that merely ends with the folder's text is another folder.
      {u"C:\\Windows;X:\\D:\\App;C:\\Tools", u"D:\\App", PathChange::remove, nullptr},
      {u"C:\\Windows;E:\\D:\\App", u"D:\\App", PathChange::remove, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(kv::utf16_to_utf8(c.path) + (c.change == PathChange::add ? " + " : " - ") +
                 kv::utf16_to_utf8(c.folder));
    auto edited = integration::edit_path_value(c.path, c.folder, c.change);
    if (!c.result)
      EXPECT_FALSE(edited.has_value());
    else
      EXPECT_EQ(edited.value_or(u"(unchanged)"), c.result);
  }

  // Adding twice never duplicates.
  std::u16string path = u"C:\\Windows";
  for (int i = 0; i < 2; ++i)
    if (auto edited = integration::edit_path_value(path, u"D:\\App", PathChange::add)) path = *edited;
  EXPECT_EQ(path, u"C:\\Windows;D:\\App");
}

TEST(PathEnvironment, FolderIsTakenFromTheInstallationFolder) {
  EXPECT_EQ(integration::path_change_folder(u"", u"C:\\App"), u"C:\\App");
  EXPECT_EQ(integration::path_change_folder(u"bin", u"C:\\App"), u"C:\\App\\bin");
  EXPECT_EQ(integration::path_change_folder(u"D:\\Tools", u"C:\\App"), u"D:\\Tools");
  EXPECT_EQ(integration::path_change_folder(u"\\\\server\\tools", u"C:\\App"), u"\\\\server\\tools");
}

}  // namespace
