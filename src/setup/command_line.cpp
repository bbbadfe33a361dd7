#include "command_line.h"

#include "kv_core.h"

namespace setup {
namespace {

bool is_blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f'; }

// One pair of surrounding double quotes is removed, never a lone one.
std::u16string unquote(std::u16string_view v) {
  if (v.size() >= 2 && v.front() == u'"' && v.back() == u'"') return std::u16string(v.substr(1, v.size() - 2));
  return std::u16string(v);
}

std::string batch_value(std::u16string_view v) {
  std::string text = kv::utf16_to_ansi(v);
  if (!text.empty() && text.back() == '"') text.pop_back();
  for (char& c : text)
    if (c == '`') c = '"';
  return kv::replace_all(text, "~~", "\r\n");
}

enum class Match { equals, prefix };
struct Switch {
  std::u16string_view keyword;
  Match kind;
  void (*apply)(CommandLine&, std::u16string_view value);
};

const Switch kSwitches[] = {
    {u"A", Match::equals, [](CommandLine& c, std::u16string_view) { c.automatic = true; }},
    {u"D:", Match::prefix, [](CommandLine& c, std::u16string_view v) { c.folder_override = unquote(v); }},
    {u"N:", Match::prefix, [](CommandLine& c, std::u16string_view v) { c.name_override = unquote(v); }},
    {u"U", Match::prefix,
     [](CommandLine& c, std::u16string_view v) {
       c.uninstall = true;
       c.uninstall_name.clear();
       if (!v.empty() && v.front() == u':') c.uninstall_name = unquote(v.substr(1));
     }},
    {u"R:\"", Match::prefix,
     [](CommandLine& c, std::u16string_view v) {
       std::u16string value(v);
       if (!value.empty() && value.back() == u'"') value.pop_back();
       for (char16_t& ch : value)
         if (ch == u'`') ch = u'"';
       c.run_after = value;
     }},
    {u"B1:\"", Match::prefix, [](CommandLine& c, std::u16string_view v) { c.extra_batch[kPreInstallBatch] = batch_value(v); }},
    {u"B2:\"", Match::prefix, [](CommandLine& c, std::u16string_view v) { c.extra_batch[kPostInstallBatch] = batch_value(v); }},
    {u"B3:\"", Match::prefix, [](CommandLine& c, std::u16string_view v) { c.extra_batch[kExitBatch] = batch_value(v); }},
    {u"Silent", Match::equals,
     [](CommandLine& c, std::u16string_view) {
       c.automatic = true;
       c.silent = true;
     }},
    {u"MIN", Match::equals, [](CommandLine& c, std::u16string_view) { c.minimised = true; }},
};

}  // namespace

std::vector<std::u16string> split_command_line(std::u16string_view line) {
  std::vector<std::u16string> tokens;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && is_blank(line[i])) ++i;
    if (i >= line.size()) break;
    std::u16string token;
    bool quoted = false;
    for (; i < line.size(); ++i) {
      char16_t c = line[i];
      if (c == u'"') quoted = !quoted;
      else if (!quoted && is_blank(c)) break;
      token += c;
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

CommandLine parse_command_line(std::u16string_view line) {
  CommandLine result;
  std::vector<std::u16string> tokens = split_command_line(line);
  for (std::size_t t = 1; t < tokens.size() && t <= kMaxSwitches; ++t) {
    const std::u16string& token = tokens[t];
    if (token.empty()) break;
    if (token[0] != u'/' && token[0] != u'-') {
      result.usage_reason = u"Unexpected command line parameter:\r\n" + token;
      return result;
    }
    std::u16string_view rest = std::u16string_view(token).substr(1);
    if (rest.empty()) continue;
    const Switch* found = nullptr;
    for (const Switch& s : kSwitches) {
      bool match = s.kind == Match::equals ? kv::iequals(rest, s.keyword) : kv::istarts_with(rest, s.keyword);
      if (match) {
        found = &s;
        break;
      }
    }
    if (!found) {
      result.usage_reason = u"Illegal command line atom:\r\n" + std::u16string(rest);
      return result;
    }
    found->apply(result, found->kind == Match::prefix ? rest.substr(found->keyword.size()) : std::u16string_view{});
  }
  return result;
}

std::string usage_text(std::string_view reason, std::string_view program_name) {
  std::string r(reason), p(program_name);
  // The reason and the name may hold percent signs of their own, so they are
  // substituted, not passed through a format.
  static const char kUsage[] =
      "%s\r\n\r\nUsage:\r\n%s [/a] [/b1:\"commands\"] [/b2:\"commands\"] [/b3:\"commands\"] [/d:\"dir\"] "
      "[/n:\"name\"] [/u:\"name\"] [/r:\"program\"] [/silent]\r\n\r\n"
      "/a                  \tAutomatic mode.\r\n"
      "/d:\"dir\"        \tOverride installation path.\r\n"
      "/b1:\"commands\"\tAdd commands to the end of the Pre-Installation Batch.\r\n"
      "/b2:\"commands\"\tAdd commands to the end of the Post-Installation Batch.\r\n"
      "/b3:\"commands\"\tAdd commands to the end of the Installation-Exit Batch.\r\n"
      "/n:\"name\"\tOverride product name.\r\n"
      "/u:\"name\"\tUninstall product by name.\r\n"
      "/r:\"program\"\tRun the specified program after a successful installation.\r\n"
      "/silent\tDisplay no user interface.";
  std::string text = kUsage;
  auto first = text.find("%s");
  text.replace(first, 2, r);
  auto second = text.find("%s", first + r.size());
  text.replace(second, 2, p);
  return text;
}

}  // namespace setup
