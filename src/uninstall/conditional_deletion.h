#pragma once
// Conditional deletion: files the installation's author names by pattern and
// condition (an older version of a library, say), deleted during the
// installation or the uninstallation, at once or at the next restart.
//
// The walk is pure over ConditionalFiles (the file system of the run); the
// Windows layer (conditional_deletion_win.cpp) supplies it and applies the
// outcome: the log and error-report lines of the installation phase, the
// restart flag, and the corrupt-installer error for an impossible date.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "uninstall_data.h"

namespace uninstall {

// Which run carries the clean-up routines out: the installation reports
// what they do in the log and the error report; the uninstallation reports
// nothing.
enum class CleanupPhase { installation, uninstallation };

// The corrupt-installer code of an operand whose date is no calendar date.
inline constexpr int kInvalidOperandDate = 65;

// A date operand: "yyyy/mm/dd" ("-" or "." may separate the fields too),
// optionally followed by a blank or "T" and a time "hh:mm" or "hh:mm:ss".
// The time counts only when it is a valid time of day.
struct DateOperand {
  int year = 0, month = 0, day = 0;
  bool has_time = false;
  int hour = 0, minute = 0, second = 0;
};
// Nothing when the date is not a valid calendar date.
std::optional<DateOperand> parse_date_operand(std::string_view operand);

// A file's last-write time stamp, in UTC like the times of the file entries.
struct FileStamp {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Comparisons 1 (equal), 2 (not earlier) and 3 (not later): date and time
// when the operand has a time, else the dates alone.
bool date_condition_holds(int comparison, const FileStamp& file, const DateOperand& operand);
// The operand as the C library reads a signed 32-bit number (saturating).
std::int32_t size_operand(std::string_view operand);
// Comparisons 4 (equal), 5 (not smaller) and 6 (not larger), the 64-bit
// size against the signed operand.
bool size_condition_holds(int comparison, std::uint64_t size, std::int32_t operand);

struct FileFacts {
  std::uint64_t size = 0;
  FileStamp last_write;
};

class ConditionalFiles {
 public:
  virtual ~ConditionalFiles() = default;
  // The pattern with its path variables expanded, made absolute against the
  // installation folder.
  virtual std::u16string expand_pattern(const std::string& marked_pattern) = 0;
  // The files (not folders) that match a pattern with wildcards, full paths.
  virtual std::vector<std::u16string> matching_files(const std::u16string& pattern) = 0;
  // Nothing when the file's information cannot be read.
  virtual std::optional<FileFacts> facts(const std::u16string& path) = 0;
  // Clears the read-only, hidden and system attributes.
  virtual void clear_attributes(const std::u16string& path) = 0;
  // 0, or the system's error code.
  virtual std::uint32_t delete_now(const std::u16string& path) = 0;
  virtual std::uint32_t delete_at_reboot(const std::u16string& path) = 0;
  virtual std::u16string error_text(std::uint32_t code) = 0;
};

struct ConditionalOutcome {
  bool corrupt = false;            // an impossible date: the run ends with code 65
  bool reboot_registered = false;  // some file waits for the next restart
  std::u16string log;              // installation phase only
  std::u16string error_report;     // installation phase only
};

// Applies every entry of the phase, in order. During the uninstallation an
// entry is dropped as soon as one of its files was deleted or registered, so
// that a rewritten Uninstall.DAT keeps only what is still pending. Stops at
// an impossible date.
ConditionalOutcome apply_conditional_deletions(std::vector<ConditionalDeletion>& entries, CleanupPhase phase,
                                               ConditionalFiles& files);

// Windows only: the walk over the run's file system. The installation phase
// writes its lines to the log and the error report, sets the run's
// reboot-required flag and ends the run with corrupt-installer code 65 for an
// impossible date; the uninstallation phase reports nothing (but the code
// 65 ends it all the same). Returns whether a file waits for the restart.
bool delete_conditional_files(std::vector<ConditionalDeletion>& entries, CleanupPhase phase);

}  // namespace uninstall
