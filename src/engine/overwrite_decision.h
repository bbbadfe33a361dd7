#pragma once
// What the file loop does with one entry whose destination is known: the
// kinds and their rules, the entry's flag bits, and the overwrite decision
// by mode, version and date, with the exact log text it produces. Pure: the
// caller gathers the facts about the existing file.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "path_variables.h"
#include "archive.h"
#include "date_time_record.h"

namespace engine {

// The archive's file entry kinds and flag bits.
namespace file_kind = setup::file_kind;
namespace entry_flags = setup::entry_flags;

inline std::uint32_t overwrite_mode(std::uint32_t flags) {
  return (flags >> entry_flags::kModeShift) & entry_flags::kModeMask;
}

enum class KindChecks { none, date, version_and_date };

struct FileKindRule {
  PathVar default_folder;
  KindChecks checks;
  // The default destination's folder is created (and recorded) by the loop;
  // system, font and shared folders are not.
  bool creates_folder;
};

// Empty for kinds the installer does not know (2, 3, 13 and above): the
// installation data is damaged.
std::optional<FileKindRule> file_kind_rule(std::uint32_t kind);

// Whether the uninstaller removes an installed file of this kind: shared
// files only in a portable installation, system files and fonts never.
bool records_file(std::uint32_t kind, bool portable);

// The file already at the destination.
struct ExistingFile {
  bool exists = false;
  std::optional<setup::DateTimeRecord> time;  // its modification time (UTC); empty when unreadable
  std::optional<std::u16string> version;      // clean_file_version() of its "FileVersion"; empty: none
};

struct OverwriteFacts {
  std::uint32_t kind = 0;
  std::uint32_t flags = 0;
  bool portable = false;
  std::u16string_view destination;
  std::u16string_view entry_version;  // the entry's label
  setup::DateTimeRecord entry_time;
  ExistingFile existing;
};

struct OverwriteDecision {
  bool install = false;
  // Skipped, but the file in place is recorded for the uninstaller (removal
  // list, kind file). An installed file is recorded by the loop itself.
  bool record_existing = false;
  std::u16string log;  // for the installation log; empty when nothing is said
};

OverwriteDecision decide_overwrite(const OverwriteFacts& facts);

// Valid when the month is not 0 and the hour not negative.
bool time_valid(const setup::DateTimeRecord& time);
// Field by field, year first: -1, 0 or +1.
int compare_times(const setup::DateTimeRecord& a, const setup::DateTimeRecord& b);
// "%d/%02d/%02d %02d:%02d:%02d": year, month, day, hour, minute, second.
std::u16string format_entry_time(const setup::DateTimeRecord& time);

}  // namespace engine
