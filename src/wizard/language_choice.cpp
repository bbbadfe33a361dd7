#include "language_choice.h"

#include "text.h"

namespace wizard {
namespace {

int find_entry(std::span<const std::u16string> names, std::u16string_view entry) {
  for (std::size_t i = 0; i < names.size(); ++i)
    if (kv::iequals(language_entry(names[i]), entry)) return static_cast<int>(i);
  return -1;
}

bool is_blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0xA0; }

}  // namespace

std::u16string language_entry(std::u16string_view name) {
  std::u16string entry = u"\t";
  entry += name;
  return entry;
}

std::u16string system_language_key(std::u16string_view system_name) {
  std::u16string_view name = system_name.substr(0, system_name.find(u'('));
  while (!name.empty() && is_blank(name.front())) name.remove_prefix(1);
  while (!name.empty() && is_blank(name.back())) name.remove_suffix(1);
  return std::u16string(name);
}

int preselected_language(std::span<const std::u16string> names, std::span<const std::u16string> system_names) {
  for (const std::u16string& system_name : system_names) {
    std::u16string key = system_language_key(system_name);
    if (key.empty()) continue;
    if (int found = find_entry(names, language_entry(key)); found >= 0) return found;
  }
  if (int english = find_entry(names, u"\tEnglish"); english >= 0) return english;
  return 0;
}

int clamped_language(int selection, int count) {
  if (selection < 0 || count <= 0) return 0;
  return selection < count ? selection : count - 1;
}

}  // namespace wizard
