#include "overwrite_decision.h"

#include <cstdio>
#include <tuple>

#include "text.h"
#include "version_compare.h"

namespace engine {
namespace {

bool never_uninstall(std::uint32_t flags) { return (flags & entry_flags::kNeverUninstall) != 0; }

OverwriteDecision skip(std::u16string log, bool record = false) { return {false, record, std::move(log)}; }
OverwriteDecision install(std::u16string log = {}) { return {true, false, std::move(log)}; }

std::u16string line(std::u16string_view destination, std::u16string_view text) {
  std::u16string out(destination);
  out += text;
  return out;
}

// "its version (1.2) is newer than 1.1", "its date (...) is not newer than ..."
std::u16string comparison(std::u16string_view what, std::u16string_view entry, bool newer,
                          std::u16string_view existing) {
  std::u16string out = u"its ";
  out.append(what).append(u" (").append(entry).append(newer ? u") is newer than " : u") is not newer than ");
  out.append(existing);
  return out;
}

OverwriteDecision check_date_only(const OverwriteFacts& facts) {
  const ExistingFile& existing = facts.existing;
  if (!existing.exists) return install();
  bool up_to_date =
      time_valid(facts.entry_time) && existing.time && compare_times(*existing.time, facts.entry_time) >= 0;
  if (!up_to_date) return install(line(facts.destination, u" is out of date and will be replaced.\r\n"));
  bool record = facts.portable && facts.kind == file_kind::kShared && !never_uninstall(facts.flags);
  return skip(line(facts.destination, u" is up to date.\r\n"), record);
}

OverwriteDecision check_version_and_date(const OverwriteFacts& facts) {
  const ExistingFile& existing = facts.existing;
  if (!existing.exists) return install();
  // An older versioned file of the product still belongs to it.
  const bool record = facts.kind == file_kind::kVersioned && !never_uninstall(facts.flags);
  std::u16string reason;
  if (!facts.entry_version.empty() && existing.version) {
    bool newer = compare_versions(facts.entry_version, *existing.version) > 0;
    std::u16string text = comparison(u"version", facts.entry_version, newer, *existing.version);
    if (!newer) return skip(line(facts.destination, u" was not installed because " + text + u"\r\n"), record);
    reason = std::move(text);
  }
  // An entry without a time has nothing to compare: its version alone decides.
  if (existing.time && time_valid(facts.entry_time)) {
    bool newer = compare_times(facts.entry_time, *existing.time) > 0;
    std::u16string text =
        comparison(u"date", format_entry_time(facts.entry_time), newer, format_entry_time(*existing.time));
    if (!newer) return skip(line(facts.destination, u" was not installed because " + text + u".\r\n"), record);
    if (!reason.empty()) reason += u" and ";
    reason += text;
  }
  if (reason.empty()) return install(line(facts.destination, u" is out of date and will be replaced.\r\n"));
  return install(line(facts.destination, u" needs replacement because " + reason + u"\r\n"));
}

}  // namespace

std::optional<FileKindRule> file_kind_rule(std::uint32_t kind) {
  using K = KindChecks;
  switch (kind) {
    case file_kind::kPlain:
    case file_kind::kStartup:
    case file_kind::kDriverInf:
    case file_kind::kPackage:
    case file_kind::kApplet:
      return FileKindRule{PathVar::InstallDir, K::none, true};
    case file_kind::kShared:
      return FileKindRule{PathVar::SharedDir, K::date, false};
    case file_kind::kFont:
      return FileKindRule{PathVar::FontDir, K::date, false};
    case file_kind::kSystem:
    case file_kind::kComServer:
    case file_kind::kTypeLibrary:
      return FileKindRule{PathVar::SystemDir, K::version_and_date, false};
    case file_kind::kVersioned:
      return FileKindRule{PathVar::InstallDir, K::version_and_date, true};
    default:
      return std::nullopt;
  }
}

bool records_file(std::uint32_t kind, bool portable) {
  switch (kind) {
    case file_kind::kPlain:
    case file_kind::kStartup:
    case file_kind::kVersioned:
    case file_kind::kDriverInf:
    case file_kind::kPackage:
    case file_kind::kApplet:
      return true;
    case file_kind::kShared:
      return portable;
    default:
      return false;
  }
}

OverwriteDecision decide_overwrite(const OverwriteFacts& facts) {
  const ExistingFile& existing = facts.existing;
  const bool record = !never_uninstall(facts.flags) && records_file(facts.kind, facts.portable);
  switch (overwrite_mode(facts.flags)) {
    case 1:
    case 5:
      return skip({});
    case 2:
      if (!existing.exists)
        return skip(line(facts.destination, u" was not installed because it does not already exist.\r\n"));
      break;
    case 3:
      if (existing.exists)
        return skip(line(facts.destination, u" was not installed because it already exists.\r\n"), record);
      break;
    case 4:
      if (existing.time && time_valid(*existing.time) && time_valid(facts.entry_time) &&
          compare_times(*existing.time, facts.entry_time) > 0)
        return skip(line(facts.destination, u" was not installed because the existing file is newer.\r\n"), record);
      break;
    default:
      break;
  }
  std::optional<FileKindRule> rule = file_kind_rule(facts.kind);
  switch (rule ? rule->checks : KindChecks::none) {
    case KindChecks::date:
      return check_date_only(facts);
    case KindChecks::version_and_date:
      return check_version_and_date(facts);
    case KindChecks::none:
      break;
  }
  return install();
}

bool time_valid(const setup::DateTimeRecord& time) { return time.month != 0 && time.hour >= 0; }

int compare_times(const setup::DateTimeRecord& a, const setup::DateTimeRecord& b) {
  auto fields = [](const setup::DateTimeRecord& t) {
    return std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second);
  };
  return fields(a) < fields(b) ? -1 : fields(b) < fields(a) ? 1 : 0;
}

std::u16string format_entry_time(const setup::DateTimeRecord& time) {
  char text[96];
  std::snprintf(text, sizeof text, "%d/%02d/%02d %02d:%02d:%02d", time.year, time.month, time.day, time.hour,
                time.minute, time.second);
  return kv::ascii_to_utf16(text);
}

}  // namespace engine
