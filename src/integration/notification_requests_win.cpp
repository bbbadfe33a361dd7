#include "notification_requests.h"

#include <windows.h>
#include <wininet.h>

#include <memory>

#include "crash_guard.h"
#include "firewall_list.h"
#include "firewall_service.h"
#include "http_client.h"
#include "path_variables_win.h"
#include "program.h"
#include "run_state.h"
#include "system_library.h"
#include "text.h"
#include "thread_message_queue.h"
#include "win_handles.h"

namespace integration {
namespace {

constexpr DWORD kRequestTimeoutMs = 30000;
constexpr char kFallbackUserAgent[] = "Tarvel-K";
constexpr char16_t kOwnExceptionName[] = u"Tessaline Setup Installer";
constexpr DWORD kRequestFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_UI;

// The system's internet library and the run's session, opened once.
class InternetSession {
 public:
  void open() {
    // WinInet loads the dial-up library on its own when it needs it; loaded
    // first from the system folder, no other copy can be taken.
    dial_up_ = kv::load_system_library(L"rasapi32.dll");
    wininet_ = kv::load_system_library(L"wininet.dll");
    auto open_session = kv::library_function<decltype(&InternetOpenW)>(wininet_.get(), "InternetOpenW");
    auto set_option = kv::library_function<decltype(&InternetSetOptionW)>(wininet_.get(), "InternetSetOptionW");
    open_url_ = kv::library_function<decltype(&InternetOpenUrlW)>(wininet_.get(), "InternetOpenUrlW");
    close_ = kv::library_function<decltype(&InternetCloseHandle)>(wininet_.get(), "InternetCloseHandle");
    if (!open_session || !set_option || !open_url_ || !close_) return;
    session_ = open_session(kv::as_wide(kv::program_title_w()), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session_) return;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
      DWORD limit = kRequestTimeoutMs;
      set_option(session_, option, &limit, sizeof limit);
    }
  }

  ~InternetSession() {
    if (session_) close_(session_);
  }

  // True when the server answered; the answer itself is not read.
  bool request(const std::string& address) {
    if (!session_) return false;
    std::u16string url = kv::utf8_to_utf16(address);
    HINTERNET answer = open_url_(session_, kv::as_wide(url), L"Accept: */*\r\n", DWORD(-1), kRequestFlags, 0);
    if (!answer) return false;
    close_(answer);
    return true;
  }

 private:
  kv::UniqueModule dial_up_;
  kv::UniqueModule wininet_;
  decltype(&InternetOpenUrlW) open_url_ = nullptr;
  decltype(&InternetCloseHandle) close_ = nullptr;
  HINTERNET session_ = nullptr;
};

void send_request(InternetSession& internet, const std::string& address) {
  if (internet.request(address)) return;
  if (kv::iequals(std::string_view(address).substr(0, 5), "http:"))
    kv::http_get(address, kFallbackUserAgent, kRequestTimeoutMs);
}

class NotificationWorker final : public kv::MessageWorker {
 public:
  ~NotificationWorker() override { stop_and_wait(); }
  InternetSession internet;

 protected:
  void handle(const std::string& address) override {
    // A crash inside a request loses that request only.
    kv::crash_guard([&] { send_request(internet, address); });
  }
};

struct Notifications {
  bool started = false;        // the first request has been made
  bool firewall_mark = false;  // this executable was authorised by it
  std::unique_ptr<NotificationWorker> worker;
};

// Kept for the process; the exit routine stops and frees the worker.
Notifications& notifications() {
  static Notifications& kept = *new Notifications;
  return kept;
}

void stop_notifications() { notifications().worker.reset(); }

void remove_own_firewall_exception() {
  Notifications& n = notifications();
  if (!n.firewall_mark) return;
  n.firewall_mark = false;
  firewall::remove_program(kv::module_file_name());
}

void start_notifications(Notifications& n) {
  n.started = true;
  setup::run.exit_hooks.stop_notification_worker = stop_notifications;
  setup::run.exit_hooks.remove_own_firewall_exception = remove_own_firewall_exception;
  auto worker = std::make_unique<NotificationWorker>();
  kv::crash_guard([&] { worker->internet.open(); });
  // Only an exception this run added is removed at the exit: one that was
  // there before stays as it was.
  n.firewall_mark = firewall::add_program(kv::module_file_name(), kOwnExceptionName, true) == firewall_result::kSuccess;
  if (worker->start()) n.worker = std::move(worker);
}

// Nothing but blanks, tabs and line ends.
bool blank_address(std::string_view address) {
  return address.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

}  // namespace

void send_notification(const std::string& address) {
  if (blank_address(address)) return;
  Notifications& n = notifications();
  if (!n.started) start_notifications(n);
  if (n.worker) n.worker->post(engine::expand_notification_address(address));
}

}  // namespace integration
