#include "registry_items.h"

#include <algorithm>

#include "csv.h"
#include "registry_path.h"
#include "text.h"

namespace uninstall {
namespace {

constexpr std::size_t kProductKeyParentLimit = 20;

bool is_blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::u16string_view trim(std::u16string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

// The number at the start of a field, as the C library reads it.
long long leading_number(std::u16string_view text) {
  text = trim(text);
  bool negative = false;
  if (!text.empty() && (text[0] == u'-' || text[0] == u'+')) {
    negative = text[0] == u'-';
    text.remove_prefix(1);
  }
  long long value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9' || value > 1000000000) break;
    value = value * 10 + (c - u'0');
  }
  return negative ? -value : value;
}

std::vector<std::u16string_view> lines_of(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  while (!text.empty()) {
    std::size_t end = text.find_first_of(u"\r\n");
    lines.push_back(text.substr(0, end));
    if (end == std::u16string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace

std::vector<RegistryUndo> registry_items_to_undo(std::u16string_view entry_list) {
  std::vector<RegistryUndo> values, keys;
  for (std::u16string_view line : lines_of(entry_list)) {
    std::vector<std::u16string> fields = kv::csv_split(line);
    if (fields.size() == 1) {
      std::u16string_view key_path = trim(fields[0]);
      if (std::count(key_path.begin(), key_path.end(), u'\\') <= 1) continue;
      auto key = kv::parse_registry_key_path(key_path);
      if (key && !key->key.empty()) keys.push_back({RegistryUndo::remove_key_if_empty, std::move(*key), {}});
    } else if (fields.size() == 5) {
      long long action = leading_number(fields[4]);
      if (action != 2 && action != 3 && action != 5) continue;
      auto key = kv::parse_registry_key_path(trim(fields[0]));
      if (key && !key->key.empty()) values.push_back({RegistryUndo::remove_value, std::move(*key), fields[1]});
    }
  }
  values.insert(values.end(), keys.rbegin(), keys.rend());
  return values;
}

std::u16string product_key(std::u16string_view product_registry) {
  return u"Software\\" + std::u16string(product_registry);
}

std::vector<std::u16string> product_key_parents(std::u16string_view product_registry) {
  std::vector<std::u16string> parents;
  std::u16string path = product_key(product_registry);
  constexpr std::size_t kSoftwarePrefix = 9;  // "Software\"
  while (parents.size() < kProductKeyParentLimit) {
    std::size_t cut = path.find_last_of(u'\\');
    if (cut == std::u16string::npos || cut <= kSoftwarePrefix) break;
    path.resize(cut);
    while (path.ends_with(u'\\') && path.size() > kSoftwarePrefix) path.pop_back();
    if (path.size() <= kSoftwarePrefix) break;
    parents.push_back(path);
  }
  return parents;
}

}  // namespace uninstall
