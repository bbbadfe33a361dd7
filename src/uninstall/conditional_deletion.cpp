#include "conditional_deletion.h"

#include <array>
#include <limits>

#include "text.h"

namespace uninstall {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trim(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

// Reads 1 to `max_digits` digits; nothing when there are none.
std::optional<int> read_number(std::string_view& text, std::size_t max_digits) {
  std::size_t n = 0;
  int value = 0;
  while (n < text.size() && n < max_digits && text[n] >= '0' && text[n] <= '9') value = value * 10 + (text[n++] - '0');
  if (n == 0) return std::nullopt;
  text.remove_prefix(n);
  return value;
}

bool read_separator(std::string_view& text, std::string_view allowed) {
  if (text.empty() || allowed.find(text.front()) == std::string_view::npos) return false;
  text.remove_prefix(1);
  return true;
}

bool leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
  constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && leap_year(year) ? 29 : kDays[month - 1];
}

bool valid_date(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= days_in_month(year, month);
}

// The time after the date: "hh:mm" or "hh:mm:ss"; nothing when it is not a
// valid time of day.
std::optional<std::array<int, 3>> read_time(std::string_view text) {
  if (text.empty()) return std::nullopt;
  auto hour = read_number(text, 2);
  if (!hour || !read_separator(text, ":")) return std::nullopt;
  auto minute = read_number(text, 2);
  if (!minute) return std::nullopt;
  int second = 0;
  if (read_separator(text, ":")) {
    auto s = read_number(text, 2);
    if (!s) return std::nullopt;
    second = *s;
  }
  if (!text.empty() || *hour > 23 || *minute > 59 || second > 59) return std::nullopt;
  return std::array<int, 3>{*hour, *minute, second};
}

template <class T>
bool compare(int comparison, const T& file, const T& operand) {
  switch (comparison) {
    case 1:
    case 4:
      return file == operand;
    case 2:
    case 5:
      return !(file < operand);
    case 3:
    case 6:
      return !(operand < file);
    default:
      return true;
  }
}

std::u16string quoted(std::u16string_view path) {
  std::u16string out;
  out.reserve(path.size() + 2);
  out.append(1, u'"').append(path).append(1, u'"');
  return out;
}

}  // namespace

std::optional<DateOperand> parse_date_operand(std::string_view operand) {
  std::string_view text = trim(operand);
  DateOperand date;
  auto year = read_number(text, 4);
  if (!year || !read_separator(text, "/-.")) return std::nullopt;
  auto month = read_number(text, 2);
  if (!month || !read_separator(text, "/-.")) return std::nullopt;
  auto day = read_number(text, 2);
  if (!day || !valid_date(*year, *month, *day)) return std::nullopt;
  date.year = *year;
  date.month = *month;
  date.day = *day;
  if (!text.empty() && (is_blank(text.front()) || text.front() == 'T')) {
    if (auto time = read_time(trim(text.substr(1)))) {
      date.has_time = true;
      date.hour = (*time)[0];
      date.minute = (*time)[1];
      date.second = (*time)[2];
    }
  } else if (!text.empty()) {
    return std::nullopt;  // "2024/01/015" is no date
  }
  return date;
}

bool date_condition_holds(int comparison, const FileStamp& file, const DateOperand& operand) {
  if (operand.has_time)
    return compare(comparison,
                   std::array<int, 6>{file.year, file.month, file.day, file.hour, file.minute, file.second},
                   std::array<int, 6>{operand.year, operand.month, operand.day, operand.hour, operand.minute,
                                      operand.second});
  return compare(comparison, std::array<int, 3>{file.year, file.month, file.day},
                 std::array<int, 3>{operand.year, operand.month, operand.day});
}

std::int32_t size_operand(std::string_view operand) {
  std::string_view text = trim(operand);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  std::int64_t value = 0;
  constexpr std::int64_t kLimit = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = std::min<std::int64_t>(value * 10 + (c - '0'), kLimit);
  }
  if (negative) return static_cast<std::int32_t>(-value);  // down to the smallest 32-bit number
  return static_cast<std::int32_t>(std::min<std::int64_t>(value, kLimit - 1));
}

bool size_condition_holds(int comparison, std::uint64_t size, std::int32_t operand) {
  if (comparison < 4 || comparison > 6) return true;
  // A file's size is never negative: it is larger than any negative operand.
  if (operand < 0) return comparison == 5;
  return compare(comparison, size, static_cast<std::uint64_t>(operand));
}

ConditionalOutcome apply_conditional_deletions(std::vector<ConditionalDeletion>& entries, CleanupPhase phase,
                                               ConditionalFiles& files) {
  ConditionalOutcome outcome;
  const bool installing = phase == CleanupPhase::installation;
  const int phase_bit = installing ? ConditionalDeletion::kDuringInstallation : ConditionalDeletion::kDuringUninstallation;
  bool any_handled = false;

  for (auto entry = entries.begin(); entry != entries.end();) {
    if (!(entry->flags & phase_bit)) {
      ++entry;
      continue;
    }
    const bool only_at_reboot = entry->flags & ConditionalDeletion::kOnlyAtRestart;
    const bool reboot_allowed = entry->flags & (ConditionalDeletion::kOnlyAtRestart | ConditionalDeletion::kRestartWhenLocked);
    bool handled = false;
    std::optional<DateOperand> date;

    for (const std::u16string& path : files.matching_files(files.expand_pattern(entry->pattern))) {
      std::optional<FileFacts> facts = files.facts(path);
      if (!facts) continue;
      if (entry->comparison >= 1 && entry->comparison <= 3) {
        if (!date) date = parse_date_operand(entry->operand);
        if (!date) {
          outcome.corrupt = true;
          return outcome;
        }
        if (!date_condition_holds(entry->comparison, facts->last_write, *date)) continue;
      } else if (!size_condition_holds(entry->comparison, facts->size, size_operand(entry->operand))) {
        continue;
      }

      files.clear_attributes(path);
      std::uint32_t delete_error = 0;
      if (!only_at_reboot) {
        delete_error = files.delete_now(path);
        if (delete_error == 0) {
          handled = true;
          if (installing) outcome.log += u"Deleted file: " + path + u"\r\n";
          continue;
        }
      }
      if (!reboot_allowed) {
        if (installing)
          outcome.log += u"Failed to delete file " + quoted(path) + u": " + files.error_text(delete_error) + u"\r\n";
        continue;
      }
      std::uint32_t reboot_error = files.delete_at_reboot(path);
      if (reboot_error == 0) {
        handled = true;
        outcome.reboot_registered = true;
        if (installing)
          outcome.log += u"File " + quoted(path) + u" will be deleted after rebooting" +
                         (only_at_reboot ? u"." : u": " + files.error_text(delete_error)) + u"\r\n";
      } else if (installing) {
        outcome.error_report +=
            u"Failed to register " + quoted(path) + u" for deletion: " + files.error_text(reboot_error) + u"\r\n";
      }
    }

    any_handled = any_handled || handled;
    if (handled && !installing)
      entry = entries.erase(entry);
    else
      ++entry;
  }
  if (installing && any_handled) outcome.log += u"\r\n";
  return outcome;
}

}  // namespace uninstall
