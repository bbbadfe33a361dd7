// The installation's registry entry list (UTF-16), as a damaged or
// hand-made installer may hold it: every line read into a record, every
// value's data of the size its type has, and every key the entries could
// make recorded so that the uninstaller reads back that same key.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "registry_entry_list.h"
#include "registry_items.h"
#include "registry_path.h"

namespace {

void check_data(const integration::RegistryRecord& record) {
  auto data = integration::registry_data(record.type, record.data, [](std::u16string text) { return text; });
  if (!data) {
    if (record.type != integration::registry_type::kBinary) std::abort();
    return;
  }
  const std::size_t size = data->bytes.size();
  switch (record.type) {
    case integration::registry_type::kString:
    case integration::registry_type::kExpandableString:
      if (size != (record.data.size() + 1) * 2 || data->bytes[size - 1] || data->bytes[size - 2]) std::abort();
      break;
    case integration::registry_type::kBinary:
      if (size * 2 > record.data.size()) std::abort();
      break;
    case integration::registry_type::kNumber32:
      if (size != 4) std::abort();
      break;
    case integration::registry_type::kNumber64:
      if (size != 8) std::abort();
      break;
    default:
      if (size != 0) std::abort();
  }
}

// Each level the installation may create, as the uninstaller reads it.
void check_created_keys(const std::u16string& key_path) {
  auto path = kv::parse_registry_key_path(key_path);
  if (!path || path->root == kv::RegistryRoot::all_users) return;
  std::u16string level = path->key;
  while (!level.empty()) {
    std::u16string record = integration::created_key_record(path->root, level);
    if (!record.empty()) {
      if (record.size() < 2 || !record.ends_with(u"\r\n")) std::abort();
      std::vector<uninstall::RegistryUndo> undo = uninstall::registry_items_to_undo(record);
      std::u16string trimmed = level;
      while (trimmed.ends_with(u'\\')) trimmed.pop_back();
      while (trimmed.starts_with(u'\\')) trimmed.erase(0, 1);
      // The uninstaller leaves keys right below a root alone.
      const bool below_a_key = level.find(u'\\') != std::u16string::npos;
      if (below_a_key != (undo.size() == 1)) std::abort();
      if (below_a_key && (undo[0].kind != uninstall::RegistryUndo::remove_key_if_empty ||
                          undo[0].key != kv::RegistryKeyPath{path->root, trimmed}))
        std::abort();
    }
    std::size_t cut = level.find_last_of(u'\\');
    level.resize(cut == std::u16string::npos ? 0 : cut);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string list;
  for (std::size_t i = 0; i + 1 < size; i += 2) list += char16_t(data[i] | data[i + 1] << 8);
  for (std::u16string_view line : integration::registry_list_lines(list)) {
    if (line.find_first_of(u"\r\n") != std::u16string_view::npos) std::abort();
    integration::RegistryRecord record = integration::read_registry_record(line);
    if (record.kind == integration::RegistryRecord::value) check_data(record);
    if (record.kind == integration::RegistryRecord::key || record.kind == integration::RegistryRecord::value)
      check_created_keys(record.key_path);
  }
  return 0;
}
