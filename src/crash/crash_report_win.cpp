// The unhandled-exception filter and the crash report step.
#include "crash_report.h"

#include <windows.h>

#include "child_process.h"
#include "crash_dialog_win.h"
#include "crash_guard.h"
#include "crash_facts_win.h"
#include "crash_filter.h"
#include "crash_mail.h"
#include "crash_report_text.h"
#include "engine_run.h"
#include "rollback_win.h"
#include "exit_routine.h"
#include "fatal.h"
#include "http_client.h"
#include "install_log_win.h"
#include "rollback_win.h"
#include "paths.h"
#include "run_state.h"
#include "silent.h"
#include "text.h"
#include "win_handles.h"

namespace crash {
namespace {

constexpr char kCrashedMark[] = "\r\n\r\nINSTALLER CRASHED!\r\n";
constexpr unsigned kSendTimeoutMs = 30000;
// The report is made on a thread of its own: it has room even when the crash
// was a stack overflow, and its stack walk reads the crashed thread's frames
// as they are.
constexpr SIZE_T kReportStackSize = 1024 * 1024;

// Process-wide: the filter's information, the copies of the crash, and the
// mark that keeps a second crash out while a report is made.
struct CrashState {
  AppInfo info;
  bool installed = false;
  DWORD main_thread = 0;
  volatile LONG reporting = 0;
  EXCEPTION_RECORD record{};
  CONTEXT context{};
  DWORD thread = 0;
};
CrashState g_crash;

std::string product_text(const AppInfo& info) { return info.name + " " + info.version + " " + info.edition; }

// The report goes into the error report, and that into the installation
// log as its failure summary, when the run's log has begun.
void keep_report(const std::string& report) {
  engine::run.log.error_report += kCrashedMark + report;
  // A run that is rolled back keeps its log in the temporary folder instead,
  // and one without an installation folder yet has no Install.log.
  if (engine::run.log.run_log && !engine::journal.open && !engine::run.paths.uninstall_dir.empty())
    engine::finish_log(engine::run.log.error_report, setup::run.driver.reinstall, /*prompts_allowed=*/false);
}

void send_report(const std::string& report, const UserNote& note) {
  const AppInfo& info = g_crash.info;
  if (info.form_address.empty()) return;
  const std::string executable = kv::utf16_to_ansi(kv::file_name_of(kv::module_file_name()));
  const std::string form = form_body({{"from", info.sender},
                                      {"body", mail_body(report, note)},
                                      {"subject", mail_subject(info.version, executable)},
                                      {"headers", mail_headers(info.extra_header, note)}});
  HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  kv::http_post(info.form_address, info.name, kFormContentType, form, kSendTimeoutMs);
  SetCursor(previous ? previous : LoadCursorW(nullptr, IDC_ARROW));
}

// The step: the report, kept, shown and sent as the user asks.
void report_crash() {
  const CrashFacts facts =
      gather_crash_facts(g_crash.record, g_crash.context, g_crash.thread, g_crash.main_thread, product_text(g_crash.info));
  const std::string report = crash_report_text(facts);
  keep_report(report);
  if (kv::window_creation_disallowed()) kv::trace(kv::ansi_to_utf16(kCrashedMark + report));
  UserNote note;
  if (show_crash_dialog(report, g_crash.info.vendor, !g_crash.info.sender.empty(), note)) send_report(report, note);
}

DWORD WINAPI report_thread(void*) {
  kv::crash_guard([] { report_crash(); });
  // A crashed run has failed, whatever the user chose: it ends like every
  // run through the exit routine, with the failure's exit code, and never
  // in the system's own crash dialog, which a silent run could not answer.
  setup::end_run(setup::RunOutcome::failed);
}

LONG WINAPI filter(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
  const bool reporting = g_crash.reporting != 0;
  if (filter_answer(record.ExceptionCode, g_crash.installed, reporting) == FilterAnswer::pass_on)
    return EXCEPTION_CONTINUE_SEARCH;
  if (InterlockedExchange(&g_crash.reporting, 1) != 0) return EXCEPTION_CONTINUE_SEARCH;
  g_crash.record = record;
  g_crash.context = *pointers->ContextRecord;
  g_crash.thread = GetCurrentThreadId();
  HANDLE worker = CreateThread(nullptr, kReportStackSize, report_thread, nullptr, 0, nullptr);
  if (worker) WaitForSingleObject(worker, INFINITE);
  // Only when the report could not even start.
  kv::terminate_process(1);
}

}  // namespace

void install_crash_filter(const AppInfo& info) {
  g_crash.info = info;
  g_crash.main_thread = GetCurrentThreadId();
  g_crash.installed = true;
  SetUnhandledExceptionFilter(filter);
}

}  // namespace crash
