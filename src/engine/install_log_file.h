#pragma once
// Install.log in the uninstall folder: one section per run, appended behind
// the earlier ones. The decisions of finish_log and the bytes it writes are
// worked out here from plain facts; install_log_win.cpp does the file work
// and the prompts.
#include <optional>
#include <string>
#include <string_view>

namespace engine {

inline constexpr std::string_view kInstallerVersion = "37.0.4";
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
inline constexpr std::string_view kLogSeparator = "\r\n\r\n**********************************************\r\n";

struct LocalDateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
// The core date pattern "yy/mm/dd HH:ii:ss": 2024/03/09 14:05:00.
std::string format_install_date(const LocalDateTime& time);

struct InstallLogHeader {
  std::u16string product_name;
  std::string install_date;
  std::optional<bool> reinstall;  // only when the run registers an uninstaller
  std::u16string install_location;
  std::u16string product_version;
  std::u16string overwriting_version;
  std::string operating_system;   // UTF-8
};

// What finish_log writes: first, when the old file is a code-page-1252 text
// from an earlier installer, the whole file is replaced by `rewrite`; then
// `head`, the run log's bytes unchanged, and `tail` are appended.
struct InstallLogWrite {
  std::optional<std::string> rewrite;
  std::string head;
  std::string tail;
};

// old_bytes: the whole old file, or only its first three bytes when they are
// the UTF-8 byte-order mark. failures: the error report (ANSI code page);
// completion: localised string 43, written when there were no failures.
InstallLogWrite plan_install_log(std::string_view old_bytes, const InstallLogHeader& header,
                                 std::string_view failures, std::u16string_view completion);

// The prompts of finish_log and whether it writes the file.
struct FinishLogFacts {
  bool prompts_allowed = false;
  bool automatic = false;
  bool has_failures = false;
  bool log_wanted = false;           // ProductFlags low 0x40
  bool offer_log = false;            // ProductFlags high 0x2000000
  bool summary_has_choices = false;
  bool reboot_required = false;      // ProductFlags low 0x4000
};
enum class FinishPrompt {
  none,
  completion_box,     // localised string 42 under caption 43
  summary_page,       // the wizard's completion summary
  show_log_question,  // localised string 40 with the path, caption 41
};
struct FinishLogPlan {
  FinishPrompt prompt = FinishPrompt::none;
  bool offer_log = false;  // the completion offer after the rule that withdraws it
  bool write_file = false;
};
FinishLogPlan plan_finish_log(const FinishLogFacts& facts);

}  // namespace engine
