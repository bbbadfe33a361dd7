#include "association_plan.h"

#include "product_flags.h"
#include "text.h"

namespace integration {
namespace {

constexpr std::uint32_t kStringType = 1;  // REG_SZ

std::u16string stored_text(const std::vector<std::uint8_t>& bytes) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) text += char16_t(bytes[i] | bytes[i + 1] << 8);
  while (!text.empty() && text.back() == 0) text.pop_back();
  return text;
}

AssociationPlan ended(std::u16string_view reason, std::u16string_view extension) {
  AssociationPlan plan;
  plan.ends = true;
  plan.log = u"Association failed/" + std::u16string(reason) + u":  \"" + std::u16string(extension) + u"\".\r\n\r\n";
  return plan;
}

}  // namespace

std::u16string backup_value_name(std::u16string_view product_name) {
  std::u16string name;
  for (char16_t c : std::u16string(product_name) + u" Backup")
    if (c != u'\\' && c != u'\r' && c != u'\n' && c != u'\t') name += c;
  return name;
}

bool association_applies(std::u16string_view entry_language, std::u16string_view current_language) {
  return entry_language.empty() || kv::iequals(entry_language, current_language);
}

std::u16string extension_key(std::u16string_view extension) {
  if (extension.empty() || extension.front() == u'.') return std::u16string(extension);
  return u"." + std::u16string(extension);
}

bool extension_opened_only(std::u16string_view file_type) { return file_type.empty(); }

AssociationPlan plan_association(std::uint32_t kind, std::u16string_view extension, std::u16string_view file_type,
                                 std::u16string_view verb, bool has_description, const ExtensionFacts& facts) {
  const bool use_current = file_type.empty() || file_type.front() == u'!';
  const std::u16string_view named = use_current && !file_type.empty() ? file_type.substr(1) : file_type;
  if (!facts && use_current) return ended(u"key inaccessible", extension);

  AssociationPlan plan;
  plan.file_type = std::u16string(named);
  if (facts && kind == association_kind::kOpenWithOnly) {
    // An Open With entry lists a type of its own: the extension's current
    // one is listed already.
    if (named.empty()) return ended(u"no label", extension);
    plan.add_open_with = true;
  } else if (facts) {
    if (use_current && !facts->empty()) {
      // The verb joins the type the extension already has, which stays;
      // that type is the extension's handler, not one to list for Open With.
      plan.file_type = *facts;
      plan.use_current_type = true;
    } else if (named.empty()) {
      return ended(u"no label", extension);
    } else {
      plan.set_extension_type = true;
      plan.add_open_with = kv::iequals(verb, u"open");
    }
  }
  plan.set_description = !plan.use_current_type && has_description;
  plan.set_default_verb = kind == association_kind::kDefaultVerb;
  return plan;
}

bool backup_needed(const std::optional<StoredValue>& old_value, std::u16string_view text, bool backup_exists) {
  if (!old_value || backup_exists) return false;
  return old_value->type != kStringType || stored_text(old_value->bytes) != text;
}

std::u16string open_with_log_text(std::u16string_view extension, std::u16string_view command) {
  return std::u16string(extension) + u" Open With " + std::u16string(command) + u"\r\n";
}

std::u16string associated_log_text(std::u16string_view extension, std::u16string_view command) {
  return u"Associated " + std::u16string(extension) + u" with " + std::u16string(command) + u"\r\n";
}

std::u16string association_failed_text(std::u16string_view extension) {
  return u"Failed to associate file type:  \"" + std::u16string(extension) + u"\".\r\n\r\n";
}

bool associations_skipped_when_portable(bool portable, std::uint32_t product_flags2) {
  return portable && (product_flags2 & setup::flags2::kPortableNoAssociations);
}

}  // namespace integration
