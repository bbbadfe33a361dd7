// [strings], [[languages]], [documents] and [batches]: the installation's
// texts in every language, the licence and readme texts, and the author's
// batch commands.
#include <charconv>
#include <map>
#include <set>

#include "english_strings.h"
#include "input_files.h"
#include "kv_core.h"
#include "product_reading.h"
#include "string_table.h"
#include "utf8_paths.h"

namespace builder {
namespace {

using namespace setup;

constexpr int kMaxStrings = 10000;
constexpr std::size_t kMaxLanguages = 200;
constexpr std::size_t kMaxDocuments = 20;

using Texts = std::map<int, std::u16string>;

// Numbered texts of a table ("65 = ..."); other keys are left to the caller.
void read_numbered(Table& t, Texts& out, const std::set<std::string_view>& other_keys) {
  for (const auto& [key, node] : t.entries()) {
    if (other_keys.count(key)) continue;
    int number = -1;
    auto [end, ec] = std::from_chars(key.data(), key.data() + key.size(), number);
    if (ec != std::errc() || end != key.data() + key.size() || number < 0 || number >= kMaxStrings) {
      t.fail(key, "expected a text number from 0 to 9999 as the key");
      return;
    }
    const auto* text = node->as_string();
    if (!text || text->get().find('\0') != std::string::npos) {
      t.fail(key, "expected a text without zero characters");
      return;
    }
    out[number] = utf16(text->get());
  }
}

struct Language {
  std::u16string name;
  Texts texts;
};

void read_language_file(Table& t, Reading& r, Texts& texts) {
  std::optional<std::filesystem::path> path = t.file("file");
  if (!path) return;
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (!read_file_bytes(*path, bytes, error, 64u << 20)) {
    t.fail("file", error);
    return;
  }
  // A file of numbered texts has its own places for its problems.
  Description inner(*path);
  std::optional<toml::table> doc =
      parse_description(inner, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  if (doc) {
    Table strings(inner, &*doc, "");
    read_numbered(strings, texts, {});
  }
  if (inner.failed()) r.description.fail(inner.error());
}

void read_strings(Table& root, Reading& r) {
  Table english = root.table("strings");
  Texts overrides;
  read_numbered(english, overrides, {"include_english"});
  bool include_english = english.flag("include_english").value_or(true);

  std::vector<Language> languages;
  if (include_english) languages.push_back({u"English", std::move(overrides)});
  std::set<std::u16string> names{u"English"};
  for (Table& t : root.tables("languages")) {
    Language language;
    if (auto v = t.required_text("name")) {
      language.name = utf16(*v);
      if (v->empty()) t.fail("name", "must not be empty");
      if (language.name == u"English")
        t.fail("name", "English is built in; change its texts in [strings]");
      else if (!names.insert(language.name).second)
        t.fail("name", "a language of this name is already there");
    }
    read_language_file(t, r, language.texts);
    Table strings = t.table("strings");
    read_numbered(strings, language.texts, {});
    t.finish();
    languages.push_back(std::move(language));
  }
  if (languages.empty()) english.fail("include_english", "without English the product needs a [[languages]] entry");
  if (languages.size() > kMaxLanguages)
    r.description.fail("too many languages: " + std::to_string(languages.size()) + ", at most 200");

  // Every language has every number: what a language leaves out is the
  // (possibly changed) English text.
  Texts english_texts;
  for (const EnglishString& s : kEnglishStrings) english_texts[s.number] = utf16(s.text);
  if (include_english)
    for (const auto& [n, text] : languages.front().texts) english_texts[n] = text;
  int count = english_string_count();
  for (const Language& l : languages)
    if (!l.texts.empty()) count = std::max(count, l.texts.rbegin()->first + 1);

  std::vector<std::u16string> names_in_order, texts;
  for (const Language& l : languages) {
    names_in_order.push_back(l.name);
    for (int n = 0; n < count; ++n) {
      auto own = l.texts.find(n);
      const std::u16string* text = own != l.texts.end() ? &own->second : nullptr;
      if (!text) {
        auto fallback = english_texts.find(n);
        text = fallback != english_texts.end() ? &fallback->second : nullptr;
      }
      texts.push_back(text ? normalise_line_breaks(*text) : std::u16string());
    }
  }
  r.settings().strings.assign(std::move(names_in_order), count, std::move(texts));
  english.finish();
}

// A licence or readme text as the installer stores it: rich text as it is;
// other text in Windows-1252 when it fits, else as UTF-16 behind the bytes
// FF FE.
std::string document_bytes(std::span<const std::uint8_t> file_bytes) {
  if (is_rich_text(file_bytes)) return std::string(file_bytes.begin(), file_bytes.end());
  std::u16string text = normalise_line_breaks(decode_text(file_bytes));
  std::string narrow = kv::utf16_to_cp1252(text);
  if (kv::cp1252_to_utf16(narrow) == text) return narrow;
  std::string wide = "\xFF\xFE";
  for (char16_t c : text) {
    wide.push_back(static_cast<char>(c & 0xFF));
    wide.push_back(static_cast<char>(c >> 8));
  }
  return wide;
}

// "licence.txt", { file = ... }, { text = ... }, or a list of those.
void read_document_list(Table& t, std::string_view key, std::vector<std::string>& out) {
  const toml::node* n = t.node(key);
  if (!n) return;
  auto one = [&](const toml::node& item) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (const auto* path = item.as_string()) {
      std::filesystem::path file = t.description().resolve(path->get());
      if (!read_file_bytes(file, bytes, error)) t.fail_at(item, key, "no such file: " + path_to_utf8(file));
    } else if (const auto* table = item.as_table()) {
      Table inner(t.description(), table, t.name() + " " + std::string(key));
      if (inner.has("file") == inner.has("text")) inner.fail("", "expected either file or text");
      if (auto file = inner.file("file"); file && !read_file_bytes(*file, bytes, error)) inner.fail("file", error);
      if (auto text = inner.text("text")) bytes.assign(text->begin(), text->end());
      inner.finish();
    } else {
      t.fail_at(item, key, "expected a file name, { file = ... }, { text = ... } or a list of them");
    }
    out.push_back(document_bytes(bytes));
  };
  if (const toml::array* list = n->as_array()) {
    for (const toml::node& item : *list) one(item);
  } else {
    one(*n);
  }
  if (out.size() > kMaxDocuments) t.fail(key, "too many texts: " + std::to_string(out.size()) + ", at most 20");
}

void read_documents(Table& root, Reading& r) {
  Table t = root.table("documents");
  read_named_flags(t, "documents", r.flags);
  read_document_list(t, "licence", r.settings().licence_texts);
  read_document_list(t, "readme", r.settings().readme_texts);
  t.finish();
}

struct BatchKind {
  std::string_view key;
  std::string Settings::*text;
  FlagWord hidden_word;
  std::uint32_t hidden_bit;
  std::uint32_t logged_bit;  // ProductFlags2; 0 = cannot be announced in the log
};

constexpr BatchKind kBatches[] = {
    {"pre_install", &Settings::pre_installation_batch, FlagWord::low, flags_low::kPreInstallBatchHidden,
     flags2::kLogPreInstallBatch},
    {"post_install", &Settings::post_installation_batch, FlagWord::low, flags_low::kPostInstallBatchHidden,
     flags2::kLogPostInstallBatch},
    {"at_exit", &Settings::installation_exit_batch, FlagWord::low, flags_low::kExitBatchHidden, 0},
    {"upgrade", &Settings::upgrade_batch, FlagWord::high, flags_high::kUpgradeBatchHidden, flags2::kLogUpgradeBatch},
    {"reinstall", &Settings::reinstall_batch, FlagWord::high, flags_high::kReinstallBatchHidden,
     flags2::kLogReinstallBatch},
    {"pre_uninstall", &Settings::UninstallBatch1, FlagWord::low, 0x04000000, 0},
    {"post_uninstall", &Settings::UninstallBatch2, FlagWord::low, 0x08000000, 0},
};

void read_batches(Table& root, Reading& r) {
  Table t = root.table("batches");
  for (const BatchKind& kind : kBatches) {
    const toml::node* n = t.node(kind.key);
    if (!n) continue;
    std::u16string commands;
    bool hidden = true, logged = kind.logged_bit != 0;
    if (n->is_string()) {
      commands = utf16(t.text(kind.key).value_or(""));
    } else if (n->is_table()) {
      Table b = t.table(kind.key);
      if (b.has("commands") == b.has("file")) b.fail("", "expected either commands or file");
      if (auto v = b.text("commands")) commands = utf16(*v);
      if (auto file = b.file("file")) {
        std::vector<std::uint8_t> bytes;
        std::string error;
        if (read_file_bytes(*file, bytes, error))
          commands = decode_text(bytes);
        else
          b.fail("file", error);
      }
      hidden = b.flag("hidden").value_or(true);
      if (kind.logged_bit) logged = b.flag("logged").value_or(true);
      if (kind.key == "reinstall")
        r.flags.set(FlagWord::flags2, flags2::kReinstallBatchSameVersionOnly,
                    b.flag("same_version_only").value_or(false));
      b.finish();
    } else {
      t.fail(kind.key, "expected the commands as a text, or a table with commands or file");
      continue;
    }
    if (commands.find(u'\0') != std::u16string::npos) t.fail(kind.key, "the commands hold a zero character");
    // Batch files want CR LF line ends whatever the description used.
    std::optional<std::string> text = windows_1252(t, kind.key, normalise_line_breaks(commands));
    if (text) r.settings().*kind.text = *text;
    r.flags.set(kind.hidden_word, kind.hidden_bit, hidden);
    if (kind.logged_bit) r.flags.set(FlagWord::flags2, kind.logged_bit, logged);
  }
  t.finish();
}

}  // namespace

void read_texts(Table& root, Reading& r) {
  read_strings(root, r);
  read_documents(root, r);
  read_batches(root, r);
}

}  // namespace builder
