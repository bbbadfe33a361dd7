#include "file_destination.h"

#include "overwrite_decision.h"
#include "path_variables_resolve.h"
#include "paths.h"
#include "text.h"

namespace engine {
namespace {

std::u16string variable_text(PathVar var) {
  for (const PathVarRow& row : path_variable_table())
    if (row.var == var) return std::u16string(row.name);
  return {};
}

bool has_backslash(std::u16string_view text) { return text.find(u'\\') != std::u16string_view::npos; }

// Shared files of a portable installation stay in its shared folder: only a
// relative path with folders is kept (relative to the shared folder), any
// other destination falls back to the shared folder itself.
bool keep_portable_shared_name(std::u16string_view wide) {
  return has_backslash(wide) && !kv::is_absolute_path(wide) && !wide.starts_with(u'\\') && !wide.starts_with(u'%');
}

}  // namespace

std::u16string make_absolute(std::u16string_view path, std::u16string_view base) {
  if (kv::is_absolute_path(path)) return std::u16string(path);
  if (path.starts_with(u'\\')) {
    std::u16string drive = drive_of(base, false);
    if (!drive.empty()) return drive + std::u16string(path);
    path.remove_prefix(1);
  }
  return kv::join_path(base, path);
}

std::optional<FileDestination> compute_destination(const DestinationInput& input, const PathExpander& expand) {
  std::optional<FileKindRule> rule = file_kind_rule(input.kind);
  if (!rule) return std::nullopt;

  FileDestination out;
  out.name = kv::from_marked(input.target_name);
  std::u16string_view wide = input.wide_name;
  if (!wide.empty() && !has_backslash(wide)) out.name = std::u16string(wide);  // a new file name
  if (input.portable_shared_folder && input.kind == file_kind::kShared && !keep_portable_shared_name(wide)) wide = {};

  if (!wide.empty()) {
    std::u16string path = expand(std::u16string(wide));
    if (path.ends_with(u"\\\\")) path.pop_back();
    std::u16string base =
        expand(variable_text(input.kind == file_kind::kShared ? PathVar::SharedDir : PathVar::InstallDir));
    out.path = make_absolute(path, base);
    if (out.path.ends_with(u'\\')) out.path += kv::file_name_of(out.name);
    out.create_folder = true;
  } else if (input.flags & entry_flags::kInUninstallFolder) {
    out.path = kv::join_path(expand(variable_text(PathVar::UninstallDir)), out.name);
  } else {
    out.path = kv::join_path(expand(variable_text(rule->default_folder)), out.name);
    out.create_folder = rule->creates_folder;
  }
  return out;
}

}  // namespace engine
