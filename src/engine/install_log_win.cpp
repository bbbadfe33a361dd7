#include "install_log_win.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>

#include "child_process.h"
#include "dialogs.h"
#include "engine_run.h"
#include "exit_routine.h"
#include "install_log_file.h"
#include "localised.h"
#include "os_version.h"
#include "path_variables_win.h"
#include "paths.h"
#include "rollback_journal.h"
#include "run_modes.h"
#include "run_state.h"
#include "text.h"
#include "text_ids.h"
#include "win_handles.h"

namespace engine {
namespace {

void write_all(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    DWORD chunk = DWORD(std::min<std::size_t>(bytes.size(), 1 << 20));
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return;
    bytes.remove_prefix(written);
  }
}

bool seek(HANDLE file, LONGLONG offset, DWORD method) {
  LARGE_INTEGER to;
  to.QuadPart = offset;
  return SetFilePointerEx(file, to, nullptr, method) != FALSE;
}

std::string read_at_most(HANDLE file, std::size_t size) {
  std::string bytes(size, '\0');
  std::size_t got = 0;
  while (got < size) {
    DWORD n = 0;
    DWORD chunk = DWORD(std::min<std::size_t>(size - got, 1 << 20));
    if (!ReadFile(file, bytes.data() + got, chunk, &n, nullptr) || n == 0) break;
    got += n;
  }
  bytes.resize(got);
  return bytes;
}

// The run log: a temporary file that deletes itself when its handle closes,
// so that even a process that is killed leaves nothing behind.
class TempFileLog final : public RunLogSink {
 public:
  explicit TempFileLog(kv::UniqueFile file) : file_(std::move(file)) {}
  void append(std::string_view utf8) override { write_all(file_.get(), utf8); }

  // Copies everything written so far to `out`; later writes still append.
  void copy_to(HANDLE out) {
    if (!seek(file_.get(), 0, FILE_BEGIN)) return;
    char buffer[64 * 1024];
    for (;;) {
      DWORD n = 0;
      if (!ReadFile(file_.get(), buffer, sizeof buffer, &n, nullptr) || n == 0) break;
      write_all(out, std::string_view(buffer, n));
    }
    seek(file_.get(), 0, FILE_END);
  }

 private:
  kv::UniqueFile file_;
};

// The open run log of the process, if any.
struct RunLogFile {
  std::unique_ptr<TempFileLog> log;
};
RunLogFile run_log_file;

void completion_box(const std::u16string& text, const std::u16string& caption) {
  kv::message_box(text, caption, MB_OK | MB_ICONINFORMATION);
}

bool ask_show_log(const std::u16string& text, const std::u16string& caption) {
  if (run.hooks.ask_show_log) return run.hooks.ask_show_log(text, caption);
  return kv::question_box(text, caption);
}

InstallLogHeader current_header(bool reinstall) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  InstallLogHeader header;
  header.product_name = run.paths.product_name;
  header.install_date =
      format_install_date({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond});
  if (run.log.settings.product_flags_low & setup::flags_low::kRegisterUninstaller) header.reinstall = reinstall;
  header.install_location = run.paths.install_dir;
  header.product_version = run.paths.product_version;
  header.overwriting_version = run.paths.old_version;
  header.operating_system = kv::os_long_name(kv::os_version());
  return header;
}

// Appends this run's section; false when Install.log cannot be opened.
bool write_install_log(const std::u16string& path, std::string_view failures, bool reinstall,
                       const std::u16string& end_text) {
  kv::UniqueFile file(CreateFileW(kv::as_wide(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER size{};
  GetFileSizeEx(file.get(), &size);
  std::string old = read_at_most(file.get(), std::size_t(std::min<LONGLONG>(size.QuadPart, 3)));
  if (old != kUtf8Bom && size.QuadPart > 3) old += read_at_most(file.get(), std::size_t(size.QuadPart - 3));

  InstallLogWrite write = plan_install_log(old, current_header(reinstall), failures, end_text);
  if (write.rewrite) {
    seek(file.get(), 0, FILE_BEGIN);
    write_all(file.get(), *write.rewrite);
    SetEndOfFile(file.get());
  }
  seek(file.get(), 0, FILE_END);
  write_all(file.get(), write.head);
  if (run_log_file.log) run_log_file.log->copy_to(file.get());
  write_all(file.get(), write.tail);
  return true;
}

}  // namespace

bool open_run_log() {
  if (run_log_file.log) return true;
  std::u16string folder = path_variable(PathVar::Temp);
  wchar_t name[MAX_PATH + 16] = {};
  if (!GetTempFileNameW(kv::as_wide(folder), L"tsl", 0, name)) return false;
  kv::UniqueFile file(CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  if (!file) {
    DeleteFileW(name);
    return false;
  }
  run_log_file.log = std::make_unique<TempFileLog>(std::move(file));
  run.log.run_log = run_log_file.log.get();
  setup::run.exit_hooks.discard_log_temporary = discard_run_log;
  return true;
}

void discard_run_log() {
  if (run.log.run_log == run_log_file.log.get()) run.log.run_log = nullptr;
  run_log_file.log.reset();
}

void keep_run_log_in_temp(bool reinstall) {
  if (!run_log_file.log) return;
  const std::u16string name = (run.paths.product_name.empty() ? u"Setup" : run.paths.product_name) + u" Install.log";
  write_install_log(kv::join_path(path_variable(PathVar::Temp), name), run.log.error_report, reinstall,
                    std::u16string(kRolledBack));
}

std::u16string install_log_path() { return kv::join_path(run.paths.uninstall_dir, u"Install.log"); }

void finish_log(std::string_view failures, bool reinstall, bool prompts_allowed) {
  LogRunSettings& settings = run.log.settings;
  FinishLogFacts facts;
  facts.prompts_allowed = prompts_allowed;
  facts.automatic = setup::run.modes.automatic;
  facts.has_failures = !failures.empty();
  facts.log_wanted = settings.product_flags_low & setup::flags_low::kKeepInstallLog;
  facts.offer_log = settings.product_flags_high & setup::flags_high::kOfferLogOnSummary;
  facts.summary_has_choices = settings.summary_has_choices;
  facts.reboot_required = settings.product_flags_low & setup::flags_low::kRebootRequired;
  FinishLogPlan plan = plan_finish_log(facts);
  if (!plan.offer_log) settings.product_flags_high &= ~setup::flags_high::kOfferLogOnSummary;

  const std::u16string path = install_log_path();
  bool show = false;
  switch (plan.prompt) {
    case FinishPrompt::none: break;
    case FinishPrompt::completion_box: completion_box(setup::localised(setup::text_id::kInstallationComplete), setup::localised(setup::text_id::kInstallationCompleteCaption)); break;
    case FinishPrompt::summary_page:
      if (run.hooks.summary_page)
        show = run.hooks.summary_page(plan.offer_log);
      else
        completion_box(setup::localised(setup::text_id::kInstallationComplete), setup::localised(setup::text_id::kInstallationCompleteCaption));
      break;
    case FinishPrompt::show_log_question:
      show = ask_show_log(format_wide(setup::localised(setup::text_id::kFailuresViewLogQuestion), path), setup::localised(setup::text_id::kFailuresCaption));
      break;
  }
  if (!plan.write_file) return;
  if (write_install_log(path, failures, reinstall, setup::localised(setup::text_id::kInstallationCompleteCaption)) &&
      show)
    show_log();
}

void show_log() {
  const std::u16string path = install_log_path();
  const std::u16string folder = path_variable(PathVar::InstallerDir);
  auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", kv::as_wide(path), nullptr, kv::as_wide(folder), SW_SHOWNORMAL));
  if (result > 32) return;
  kv::ChildProcess::start(u"notepad.exe \"" + path + u"\"");
}

}  // namespace engine
