#include "path_variables_win.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>

#include "engine_run.h"
#include "os_version.h"
#include "path_variables_notification.h"
#include "registry.h"
#include "system_library.h"
#include "text.h"
#include "win_handles.h"

namespace engine {
namespace {

constexpr GUID kFolderIds[] = {
    {0x905e63b6, 0xc1bf, 0x494e, {0xb2, 0x9c, 0x65, 0xb7, 0x32, 0xd3, 0xd2, 0x1a}},  // ProgramFiles
    {0x6d809377, 0x6af0, 0x444b, {0x89, 0x57, 0xa3, 0x77, 0x3f, 0x02, 0x20, 0x0e}},  // ProgramFilesX64
    {0xf7f1ed05, 0x9f6d, 0x47a2, {0xaa, 0xae, 0x29, 0xd3, 0x17, 0xc6, 0xf0, 0x66}},  // ProgramFilesCommon
    {0x6365d5a7, 0x0f0d, 0x45e5, {0x87, 0xf6, 0x0d, 0xa5, 0x6b, 0x6a, 0x4f, 0x7d}},  // ProgramFilesCommonX64
};

const std::u16string kCurrentVersionKey = u"Software\\Microsoft\\Windows\\CurrentVersion";
const std::u16string kShellFoldersKey = kCurrentVersionKey + u"\\Explorer\\Shell Folders";

using SHGetSpecialFolderPathWFn = BOOL(WINAPI*)(HWND, LPWSTR, int, BOOL);
using SHGetKnownFolderPathFn = HRESULT(WINAPI*)(const GUID&, DWORD, HANDLE, PWSTR*);

// The shell's folder entries, looked up at run time so that a system without
// one of them falls back to the registry.
struct ShellEntries {
  SHGetSpecialFolderPathWFn special_folder = nullptr;
  SHGetKnownFolderPathFn known_folder = nullptr;
  ShellEntries() {
    HMODULE shell32 = kv::load_system_library(L"shell32.dll").release();  // kept for the process
    if (!shell32) return;
    special_folder = reinterpret_cast<SHGetSpecialFolderPathWFn>(
        reinterpret_cast<void*>(GetProcAddress(shell32, "SHGetSpecialFolderPathW")));
    known_folder = reinterpret_cast<SHGetKnownFolderPathFn>(
        reinterpret_cast<void*>(GetProcAddress(shell32, "SHGetKnownFolderPath")));
  }
};

std::u16string read_string(HKEY root, const std::u16string& path, std::u16string_view name) {
  // The 32-bit process's own view: its "ProgramFilesDir" is the "(x86)" one.
  kv::UniqueRegKey key = kv::reg_open(root, path, KEY_READ, kv::RegView::native32);
  if (!key) return {};
  return kv::reg_read_string(key.get(), std::u16string(name)).value_or(std::u16string());
}

std::u16string sized_path(UINT (WINAPI* get)(LPWSTR, UINT)) {
  wchar_t buffer[MAX_PATH];
  UINT n = get(buffer, MAX_PATH);
  return (n == 0 || n >= MAX_PATH) ? std::u16string() : kv::from_wide(buffer, n);
}

class Win32PathFacts final : public PathSystemFacts {
 public:
  std::u16string special_folder(int csidl) override {
    wchar_t buffer[MAX_PATH + 1] = {};
    if (!shell_.special_folder || !shell_.special_folder(nullptr, buffer, csidl, FALSE)) return {};
    return kv::from_wide(buffer);
  }

  std::u16string known_folder(KnownFolder folder) override {
    if (!shell_.known_folder) return {};
    PWSTR path = nullptr;
    HRESULT hr = shell_.known_folder(kFolderIds[int(folder)], 0, nullptr, &path);
    std::u16string out = SUCCEEDED(hr) ? kv::from_wide(path) : std::u16string();
    if (path) CoTaskMemFree(path);
    return out;
  }

  std::u16string shell_folder_value(bool all_users, std::u16string_view name) override {
    return read_string(all_users ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, kShellFoldersKey, name);
  }

  std::u16string current_version_value(std::u16string_view name) override {
    return read_string(HKEY_LOCAL_MACHINE, kCurrentVersionKey, name);
  }

  std::u16string boot_dir() override {
    return read_string(HKEY_LOCAL_MACHINE, kCurrentVersionKey + u"\\Setup", u"BootDir");
  }

  // Read as 8-bit text and expanded in the ANSI code page, as the web
  // server's own tools write it.
  std::u16string web_root() override {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\INetStp", 0, KEY_READ, &raw) != ERROR_SUCCESS)
      return {};
    kv::UniqueRegKey key(raw);
    char value[MAX_PATH * 2] = {};
    DWORD size = sizeof(value) - 1, type = 0;
    if (RegQueryValueExA(key.get(), "PathWWWRoot", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
      return {};
    char expanded[MAX_PATH * 2] = {};
    DWORD n = ExpandEnvironmentStringsA(value, expanded, sizeof(expanded));
    if (n == 0 || n > sizeof(expanded)) return kv::ansi_to_utf16(value);
    return kv::ansi_to_utf16(expanded);
  }

  std::u16string environment_variable(std::u16string_view name) override {
    std::u16string key(name);
    std::u16string value(256, u'\0');
    for (;;) {
      DWORD n = GetEnvironmentVariableW(kv::as_wide(key), kv::as_wide(value), DWORD(value.size()));
      if (n == 0) return {};
      if (n < value.size()) {
        value.resize(n);
        return value;
      }
      value.resize(n);
    }
  }

  std::u16string windows_dir() override { return sized_path(GetWindowsDirectoryW); }
  std::u16string system_dir() override { return sized_path(GetSystemDirectoryW); }

  std::u16string temp_path() override {
    wchar_t buffer[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    return (n == 0 || n > MAX_PATH) ? std::u16string() : kv::from_wide(buffer, n);
  }

  bool folder_exists(const std::u16string& path) override {
    DWORD attributes = GetFileAttributesW(kv::as_wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  void create_folder(const std::u16string& path) override { CreateDirectoryW(kv::as_wide(path), nullptr); }

  std::u16string installer_path() override { return kv::module_file_name(nullptr); }

  const kv::OsVersion& os() override { return kv::os_version(); }

  std::optional<std::u16string> expand_environment(const std::u16string& text) override {
    // Results are limited to 32,000 characters. A path fits the first
    // buffer; the system names the room a longer result needs.
    constexpr DWORD kLimit = 32000;
    std::u16string out(std::min<std::size_t>(text.size() + 512, kLimit), u'\0');
    DWORD n = ExpandEnvironmentStringsW(kv::as_wide(text), kv::as_wide(out), DWORD(out.size()));
    if (n > out.size() && n <= kLimit) {
      out.assign(n, u'\0');
      n = ExpandEnvironmentStringsW(kv::as_wide(text), kv::as_wide(out), DWORD(out.size()));
    }
    if (n == 0 || n > out.size()) return std::nullopt;  // failed, or the result did not fit
    out.resize(n - 1);
    return out;
  }

 private:
  ShellEntries shell_;
};

// The process-wide part of path variables: the system's facts and the
// values kept for the whole run (%Temp%).
struct PathVariableProcess {
  Win32PathFacts facts;
  PathValueCache cache;
};

PathVariableProcess& process() {
  static PathVariableProcess state;
  return state;
}

PathValues values() { return PathValues(process().facts, run.paths, process().cache); }

}  // namespace

void expand_path_variables(std::u16string& text) {
  PathValues source = values();
  expand_path_variables(text, source);
}

std::u16string expanded(std::u16string text) {
  expand_path_variables(text);
  return text;
}

std::u16string path_variable(PathVar var) { return values().value(var); }

std::u16string program_files_folder(PathValues::View view) { return values().program_files(view); }
std::u16string common_files_folder(PathValues::View view) { return values().common_files(view); }

std::string expand_notification_address(std::string_view address) {
  return expand_notification_address(address, run.paths.product_version, kv::os_version());
}

}  // namespace engine
