// File associations: what an entry writes for each kind, form of file type
// and state of the extension, when an overwritten value is kept, and the
// language filter.
#include <gtest/gtest.h>

#include <string>

#include "association_plan.h"
#include "text.h"

namespace {

using namespace integration;

constexpr std::uint32_t kNormal = 0, kDefaultVerb = 1, kOpenWith = 2;
const ExtensionFacts kNoKey = std::nullopt;
const ExtensionFacts kNoType = u"";
const ExtensionFacts kOwned = u"Other.Type";

TEST(AssociationPlan, WhatAnEntryWrites) {
  struct Case {
    const char* name;
    std::uint32_t kind;
    std::u16string file_type;
    std::u16string verb;
    ExtensionFacts facts;
    // Expected: "end: <log reason>" or the type and the writes.
    std::string expected;
  };
  const Case cases[] = {
      {"a named type takes over the extension", kNormal, u"Tess.Doc", u"open", kOwned,
       "Tess.Doc extension open-with description"},
      {"only an open verb joins Open With", kNormal, u"Tess.Doc", u"edit", kNoType, "Tess.Doc extension description"},
      {"the verb in any letter case", kNormal, u"Tess.Doc", u"Open", kNoType,
       "Tess.Doc extension open-with description"},
      {"a default verb", kDefaultVerb, u"Tess.Doc", u"edit", kNoType, "Tess.Doc extension description default-verb"},
      {"an inaccessible extension still gets its type's keys", kNormal, u"Tess.Doc", u"open", kNoKey,
       "Tess.Doc description"},
      {"no type and an extension without one", kNormal, u"", u"open", kNoType, "end: no label"},
      {"no type and no extension key", kNormal, u"", u"open", kNoKey, "end: key inaccessible"},
      {"no type uses the extension's", kNormal, u"", u"open", kOwned, "Other.Type current"},
      {"! uses the extension's type when it has one", kDefaultVerb, u"!Tess.Doc", u"open", kOwned,
       "Other.Type current default-verb"},
      {"! falls back to its own name", kNormal, u"!Tess.Doc", u"open", kNoType,
       "Tess.Doc extension open-with description"},
      {"a lone ! and no current type", kNormal, u"!", u"open", kNoType, "end: no label"},
      {"! and no extension key", kNormal, u"!Tess.Doc", u"open", kNoKey, "end: key inaccessible"},
      {"Open With leaves the extension's type alone", kOpenWith, u"Tess.Doc", u"edit", kOwned,
       "Tess.Doc open-with description"},
      {"Open With lists the named type, not the current one", kOpenWith, u"!Tess.Doc", u"open", kOwned,
       "Tess.Doc open-with description"},
      {"Open With without a name", kOpenWith, u"", u"open", kOwned, "end: no label"},
      {"Open With and no extension key", kOpenWith, u"Tess.Doc", u"open", kNoKey, "Tess.Doc description"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AssociationPlan plan = plan_association(c.kind, u".tdoc", c.file_type, c.verb, true, c.facts);
    std::string got;
    if (plan.ends) {
      EXPECT_TRUE(plan.log.starts_with(u"Association failed/")) << kv::utf16_to_utf8(plan.log);
      got = "end: " + kv::utf16_to_utf8(plan.log.substr(19, plan.log.find(u':') - 19));
    } else {
      got = kv::utf16_to_utf8(plan.file_type);
      if (plan.use_current_type) got += " current";
      if (plan.set_extension_type) got += " extension";
      if (plan.add_open_with) got += " open-with";
      if (plan.set_description) got += " description";
      if (plan.set_default_verb) got += " default-verb";
    }
    EXPECT_EQ(got, c.expected);
  }
}

TEST(AssociationPlan, LogTextsNameTheExtension) {
  EXPECT_EQ(plan_association(kNormal, u".tdoc", u"", u"open", false, kNoType).log,
            u"Association failed/no label:  \".tdoc\".\r\n\r\n");
  EXPECT_EQ(plan_association(kNormal, u".tdoc", u"", u"open", false, kNoKey).log,
            u"Association failed/key inaccessible:  \".tdoc\".\r\n\r\n");
  EXPECT_EQ(associated_log_text(u".tdoc", u"pad.exe \"%1\""), u"Associated .tdoc with pad.exe \"%1\"\r\n");
  EXPECT_EQ(open_with_log_text(u".tdoc", u"pad.exe"), u".tdoc Open With pad.exe\r\n");
  EXPECT_EQ(association_failed_text(u".tdoc"), u"Failed to associate file type:  \".tdoc\".\r\n\r\n");
}

TEST(AssociationPlan, NoDescriptionIsNotWritten) {
  EXPECT_FALSE(plan_association(kNormal, u".tdoc", u"Tess.Doc", u"open", false, kNoType).set_description);
}

StoredValue string_value(std::u16string_view text, std::uint32_t type = 1) {
  StoredValue value{type, {}};
  for (char16_t c : text) {
    value.bytes.push_back(static_cast<std::uint8_t>(c));
    value.bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  value.bytes.push_back(0);
  value.bytes.push_back(0);
  return value;
}

TEST(AssociationBackup, KeptWhenTheOldValueDiffers) {
  struct Case {
    const char* name;
    std::optional<StoredValue> old_value;
    bool backup_exists;
    bool needed;
  };
  const Case cases[] = {
      {"another owner's text", string_value(u"txtfile"), false, true},
      {"the same text: a re-association", string_value(u"Tess.Doc"), false, false},
      {"the same text in letters of another case", string_value(u"tess.doc"), false, true},
      {"no value: nothing to give back", std::nullopt, false, false},
      {"an empty text", string_value(u""), false, true},
      {"the same text as an expandable string", string_value(u"Tess.Doc", 2), false, true},
      {"a stored value without its zero", StoredValue{1, {'T', 0, 'e', 0, 's', 0, 's', 0, '.', 0, 'D', 0, 'o', 0,
                                                          'c', 0}},
       false, false},
      {"a backup from an earlier write keeps the first owner", string_value(u"Earlier.Type"), true, false},
  };
  for (const Case& c : cases) EXPECT_EQ(backup_needed(c.old_value, u"Tess.Doc", c.backup_exists), c.needed) << c.name;
}

TEST(AssociationEntries, LanguageAndExtension) {
  EXPECT_TRUE(association_applies(u"", u"Deutsch"));
  EXPECT_TRUE(association_applies(u"Deutsch", u"Deutsch"));
  EXPECT_FALSE(association_applies(u"Deutsch", u"English"));
  EXPECT_EQ(extension_key(u"tdoc"), u".tdoc");
  EXPECT_EQ(extension_key(u".tdoc"), u".tdoc");
}

}  // namespace
