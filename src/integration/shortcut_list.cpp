#include "shortcut_list.h"

#include "author_format.h"
#include "file_destination.h"
#include "path_variables_resolve.h"
#include "paths.h"
#include "text.h"

namespace integration {
namespace {

using setup::ShortcutEntry;

ShortcutEntry uninstaller_entry(const FlagShortcutFacts& facts) {
  ShortcutEntry entry;
  entry.quiet = true;
  entry.target = facts.uninstaller;
  entry.arguments = facts.uninstall_argument;
  entry.link_name = facts.uninstaller_link_name;
  entry.icon = kv::to_marked(facts.uninstaller_icon);
  return entry;
}

}  // namespace

std::u16string shortcut_target_path(std::u16string path, std::u16string_view install_folder) {
  if (path.empty() || path.find(u':') != std::u16string::npos) return path;
  return engine::make_absolute(path, install_folder);
}

ProgramCommand split_program_command(std::u16string_view command_line) {
  std::u16string_view line = kv::trim_white_space(command_line);
  ProgramCommand command;
  std::size_t end;
  if (line.starts_with(u'"')) {
    end = line.find(u'"', 1);
    command.program = line.substr(1, end == std::u16string_view::npos ? end : end - 1);
    if (end != std::u16string_view::npos) ++end;
  } else {
    end = line.find_first_of(u" \t");
    command.program = line.substr(0, end);
  }
  if (end < line.size()) command.arguments = kv::trim_white_space(line.substr(end));
  return command;
}

std::optional<ProgramCommand> split_command_arguments(std::u16string_view arguments) {
  if (!arguments.starts_with(u"~\"")) return std::nullopt;
  return split_program_command(arguments.substr(1));
}

std::u16string link_working_folder(std::u16string_view folder) {
  std::u16string out = kv::without_trailing_separators(kv::trim_white_space(folder));
  if (out.size() == 2 && out[1] == u':') out += u'\\';
  return out;
}

std::u16string link_file_path(std::u16string_view path) {
  std::u16string out(path);
  constexpr std::u16string_view extension = kLinkExtension;
  if (out.size() < extension.size() || !kv::iequals(std::u16string_view(out).substr(out.size() - extension.size()), extension))
    out += u".LNK";
  return out;
}

bool link_name_has_folder(std::u16string_view name) {
  // Separators at the ends fold into the join and make no folder.
  while (!name.empty() && kv::is_path_separator(name.front())) name.remove_prefix(1);
  while (!name.empty() && kv::is_path_separator(name.back())) name.remove_suffix(1);
  for (char16_t c : name)
    if (kv::is_path_separator(c)) return true;
  return false;
}

std::vector<ShortcutEntry> flag_shortcuts(const FlagShortcutFacts& facts) {
  namespace low = setup::flags_low;
  namespace high = setup::flags_high;
  std::vector<ShortcutEntry> entries;
  if (!facts.uninstaller.empty()) {
    if (facts.flags.has_low(low::kStartMenuUninstaller)) {
      entries.push_back(uninstaller_entry(facts));
      entries.back().in_start_menu = true;
    }
    if (facts.flags.has_high(high::kDesktopUninstaller)) {
      entries.push_back(uninstaller_entry(facts));
      entries.back().on_desktop = true;
    }
    if (facts.flags.has_high(high::kUninstallerInUninstallFolder)) {
      entries.push_back(uninstaller_entry(facts));
      entries.back().other_folder = kv::to_marked(facts.uninstall_folder);
    }
  }
  if (facts.flags.has_high(high::kStartMenuLogShortcut)) {
    ShortcutEntry log;
    log.in_start_menu = true;
    log.target = facts.log_path;
    log.link_name = facts.log_link_name;
    entries.push_back(std::move(log));
  }
  return entries;
}

ResolvedShortcut resolve_shortcut(const ShortcutEntry& entry, const ShortcutResolving& how) {
  ResolvedShortcut out;
  out.arguments = how.expand(entry.arguments);
  // A target taken from the arguments is expanded already.
  if (std::optional<ProgramCommand> command = split_command_arguments(out.arguments)) {
    out.target = std::move(command->program);
    out.arguments = std::move(command->arguments);
  } else {
    out.target = entry.target_has_variables ? how.expand(entry.target) : entry.target;
  }
  out.target = shortcut_target_path(std::move(out.target), how.install_folder);

  if (!entry.icon.empty()) out.icon = how.expand(kv::from_marked(entry.icon));
  if (!entry.working_folder.empty()) out.working_folder = link_working_folder(how.expand(kv::from_marked(entry.working_folder)));
  if (out.working_folder.empty() || !how.folder_exists(out.working_folder)) out.working_folder = how.install_folder;

  out.link_name = kv::trim_white_space(entry.link_name);
  if (out.link_name.empty()) {
    const std::u16string file_name = kv::file_name_of(out.target);
    out.link_name = kv::trim_white_space(kv::fill_format(how.name_format, {file_name}));
    if (out.link_name.empty()) out.link_name = file_name;
  }
  if (!entry.other_folder.empty())
    out.other_folder = shortcut_target_path(how.expand(kv::from_marked(entry.other_folder)), how.install_folder);
  return out;
}

std::vector<PlannedLink> plan_links(const ShortcutEntry& entry, const ResolvedShortcut& resolved,
                                    const ShortcutFolders& folders) {
  std::vector<PlannedLink> links;
  auto add = [&](LinkPlace place, std::u16string_view folder) {
    links.push_back({place, link_file_path(kv::join_path(folder, resolved.link_name))});
  };
  if (entry.on_desktop) {
    if (folders.desktop_folder.empty())
      add(LinkPlace::desktop, folders.desktop);
    else
      add(LinkPlace::desktop_folder, folders.desktop_folder);
  }
  if (entry.in_start_menu) {
    add(LinkPlace::start_menu, folders.start_menu);
    if (!folders.user_start_menu.empty() && !kv::same_path(folders.user_start_menu, folders.start_menu))
      add(LinkPlace::start_menu, folders.user_start_menu);
  }
  if (entry.in_startup) add(LinkPlace::startup, folders.startup);
  if (!resolved.other_folder.empty()) add(LinkPlace::other_folder, resolved.other_folder);
  return links;
}

std::u16string link_log_line(LinkPlace place, std::u16string_view name, std::u16string_view path) {
  std::u16string_view kind;
  switch (place) {
    case LinkPlace::desktop: kind = u"Desktop Shortcut"; break;
    case LinkPlace::desktop_folder: kind = u"Desktop Folder Shortcut"; break;
    case LinkPlace::start_menu: kind = u"Start Menu Shortcut"; break;
    case LinkPlace::startup: kind = u"Startup Shortcut"; break;
    case LinkPlace::other_folder: kind = u"Shortcut"; break;
    case LinkPlace::root: kind = u"Root Shortcut"; break;
  }
  std::u16string line(kind);
  line.append(u"(").append(name).append(u") >>> ").append(path).append(u"\r\n");
  return line;
}

std::u16string link_failure_text(std::u16string_view cannot_write_text, std::u16string_view path,
                                 std::u16string_view error_text) {
  std::u16string text(cannot_write_text);
  text.append(u" ").append(path).append(u"\r\n").append(error_text).append(u"\r\n\r\n");
  return text;
}

bool shortcuts_skipped_when_portable(bool portable, std::uint32_t product_flags2) {
  return portable && (product_flags2 & setup::flags2::kPortableNoShortcuts);
}

std::u16string root_shortcut_path(std::u16string_view install_folder, std::u16string_view name) {
  std::u16string drive = engine::drive_of(install_folder, false);
  std::u16string_view trimmed = kv::trim_white_space(name);
  if (drive.empty() || trimmed.empty()) return {};
  return link_file_path(drive + u"\\" + std::u16string(trimmed));
}

bool taskbar_pin_supported(const kv::OsVersion& os) {
  return os.platform == kv::kPlatformNt && os.major == 6 && os.minor >= 1;
}

std::u16string pinned_link_path(std::u16string_view app_data_folder, std::u16string_view link_path) {
  return kv::join_path(kv::join_path(app_data_folder, kPinnedTaskbarFolder), kv::file_name_of(link_path));
}

bool start_menu_needs_user_copy(const kv::OsVersion& os, bool all_users) {
  return all_users && os.platform == kv::kPlatform9x && os.major == 4 && (os.minor == 0 || os.minor == 10);
}

}  // namespace integration
