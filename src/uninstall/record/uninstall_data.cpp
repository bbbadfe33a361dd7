#include "uninstall_data.h"

#include <array>

#include "csv.h"
#include "kv_core.h"
#include "paths.h"

namespace uninstall {

UninstallData uninstall_data;

namespace {

constexpr std::string_view kSeparator = "\r\n\r\n";
constexpr std::string_view kLineEnd = "\r\n";

constexpr std::array<std::string_view, 8> kSectionNames = {
    "[Strings]", "[Associations]", "[AutoClose]", "[Firewall]",
    "[INF]",     "[Registry2]",    "[MSI]",       "[ConditionalDelete]"};

enum class Section { removal, strings, associations, auto_close, firewall, inf, registry, msi, conditional };

constexpr std::array<Section, 8> kSectionOf = {Section::strings,  Section::associations, Section::auto_close,
                                               Section::firewall, Section::inf,          Section::registry,
                                               Section::msi,      Section::conditional};

std::u16string lower_path(std::u16string_view path) {
  std::u16string out(path);
  for (char16_t& c : out) c = kv::ascii_lower(c);
  return out;
}

// UTF-8, with "?" for what has no encoding (a lone surrogate).
std::string to_utf8(std::u16string_view text) {
  std::u16string clean(text);
  for (std::size_t i = 0; i < clean.size(); ++i) {
    char16_t c = clean[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < clean.size() && clean[i + 1] >= 0xDC00 && clean[i + 1] < 0xE000) {
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      clean[i] = u'?';
    }
  }
  return kv::utf16_to_utf8(clean);
}

bool is_trim_char(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trim(std::string_view text) {
  while (!text.empty() && is_trim_char(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_trim_char(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view trim_end(std::string_view text) {
  while (!text.empty() && is_trim_char(text.back())) text.remove_suffix(1);
  return text;
}

// A decimal number as the file writes it: optional sign, then digits; what
// follows the digits is ignored, no digits read as 0.
int parse_int(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    if (value < 0x7FFFFFFF) value = value * 10 + (text[i] - '0');
  if (value > 0x7FFFFFFF) value = 0x7FFFFFFF;
  return static_cast<int>(negative ? -value : value);
}

struct Line {
  std::string_view raw;   // with its own line end
  std::string_view text;  // trimmed
};

// Lines end at CR or LF; the other character directly after it belongs to
// the same line end.
std::vector<Line> cut_lines(std::string_view image) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < image.size()) {
    std::size_t end = image.find_first_of("\r\n", pos);
    std::size_t next;
    if (end == std::string_view::npos) {
      end = next = image.size();
    } else {
      next = end + 1;
      if (next < image.size() && (image[next] == '\r' || image[next] == '\n') && image[next] != image[end]) ++next;
    }
    lines.push_back({image.substr(pos, next - pos), trim(image.substr(pos, end - pos))});
    pos = next;
  }
  return lines;
}

int section_index(std::string_view line) {
  for (std::size_t i = 0; i < kSectionNames.size(); ++i)
    if (line == kSectionNames[i]) return static_cast<int>(i);
  return -1;
}

bool begins_with_section_name(std::string_view line) {
  for (std::string_view name : kSectionNames)
    if (line.starts_with(name)) return true;
  return false;
}

void append_line(std::string& buffer, std::string_view line) {
  buffer.append(line);
  buffer.append(kLineEnd);
}

void append_section(std::string& image, std::string_view name, std::string_view content) {
  if (content.empty()) return;
  image.append(kSeparator);
  image.append(name);
  image.append(kLineEnd);
  image.append(content);
}

// The "[Strings]" section: "~id" lines, each followed by its text's lines.
class TextReader {
 public:
  explicit TextReader(UninstallData& data) : data_(data) {}

  void line(const Line& line) {
    if (line.text.starts_with('~')) {
      finish();
      std::string_view digits = line.text.substr(1);
      if (!digits.empty() && digits[0] >= '0' && digits[0] <= '9') {
        int id = parse_int(digits);
        if (id >= 1 && id <= kHighestTextId) id_ = id;
      }
      return;
    }
    if (begins_with_section_name(line.text)) {
      finish();
      return;
    }
    if (id_ != 0) value_.append(line.raw);
  }

  void finish() {
    if (id_ == 0) return;
    std::u16string text = kv::utf8_to_utf16(trim_end(value_));
    if (id_ == kHeaderTextId)
      data_.header_text = std::move(text);
    else
      data_.texts[id_] = std::move(text);
    id_ = 0;
    value_.clear();
  }

 private:
  UninstallData& data_;
  int id_ = 0;  // 0: not inside a text
  std::string value_;
};

void read_association(UninstallData& data, std::string_view line) {
  std::array<std::string, 4> fields;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    std::size_t cut = i + 1 < fields.size() ? line.find("~!~") : std::string_view::npos;
    fields[i] = std::string(line.substr(0, cut));
    if (cut == std::string_view::npos) break;
    line.remove_prefix(cut + 3);
  }
  if (fields[0].empty() || fields[1].empty() || fields[2].empty()) return;
  data.association_records.push_back({fields[0], fields[1], fields[2], fields[3]});
}

void read_close_rule(UninstallData& data, std::string_view line) {
  auto fields = kv::csv_split(line);
  if (fields.size() != 4) return;
  auto mode = static_cast<std::uint8_t>(parse_int(fields[3]));
  // Rules that ask the user act after the confirmation question, all others
  // before it.
  std::uint8_t phases = mode == 2 ? CloseRule::kAfterUninstallQuestion : CloseRule::kBeforeUninstallQuestion;
  data.close_rules.push_back({fields[0], fields[1], fields[2], mode, phases});
}

void read_conditional_deletion(UninstallData& data, std::string_view line) {
  auto fields = kv::csv_split(line);
  if (fields.size() != 4) return;
  data.conditional_deletions.push_back({fields[0], static_cast<std::uint8_t>(parse_int(fields[1])), fields[2],
                                        static_cast<std::uint8_t>(parse_int(fields[3]))});
}

}  // namespace

bool add_to_removal_list(UninstallData& data, std::string_view marked_path, RemovalKind kind) {
  if (marked_path.size() <= 3) return false;
  switch (kind) {
    case RemovalKind::file:
      break;
    case RemovalKind::directory:
      if (!data.directories.insert(lower_path(kv::from_marked(marked_path))).second) return false;
      data.removal_list += '~';
      break;
    case RemovalKind::registry_value:
      data.removal_list += '!';
      break;
    case RemovalKind::registry_key:
      data.removal_list += '^';
      break;
    case RemovalKind::registry_key_64:
      data.removal_list += '*';
      break;
  }
  append_line(data.removal_list, marked_path);
  return true;
}

bool add_to_removal_list_w(UninstallData& data, std::u16string_view path, RemovalKind kind) {
  return add_to_removal_list(data, kv::to_marked(path), kind);
}

void add_association(UninstallData& data, std::string_view extension, std::string_view class_key,
                     std::string_view verb, std::string_view icon) {
  std::string line;
  line.append(extension).append("~!~").append(class_key).append("~!~").append(verb).append("~!~").append(icon);
  append_line(data.associations, line);
}

void add_firewall_line(UninstallData& data, std::string_view line) { append_line(data.firewall, line); }

void add_driver_package(UninstallData& data, std::u16string_view inf_path) {
  append_line(data.inf, kv::to_marked(inf_path));
}

void add_msi_package(UninstallData& data, std::u16string_view package_path, int ui_level) {
  std::string line = "\"";
  line.append(kv::to_marked(package_path)).append("\",").append(std::to_string(ui_level));
  append_line(data.msi, line);
}

void capture_uninstall_texts(UninstallData& data, const std::function<std::u16string(int id)>& localised) {
  for (int id : kUninstallTextIds) data.texts[id] = localised(id);
}

const std::u16string& uninstall_text(const UninstallData& data, int id) {
  static const std::u16string kNone;
  auto it = data.texts.find(id);
  return it == data.texts.end() ? kNone : it->second;
}

void clear_uninstall_data(UninstallData& data) {
  data.removal_list.clear();
  data.directories.clear();
}

std::string build_uninstall_image(const UninstallData& data) {
  std::string image = data.removal_list;

  image.append(kSeparator);
  image.append("[Strings]");
  image.append(kLineEnd);
  auto append_text = [&image](int id, std::u16string_view text) {
    image += '~';
    append_line(image, std::to_string(id));
    append_line(image, to_utf8(text));
  };
  for (int id : kUninstallTextIds) append_text(id, uninstall_text(data, id));
  append_text(kHeaderTextId, data.header_text);

  std::string close_rules;
  for (const CloseRule& rule : data.close_rules)
    close_rules += kv::csv_record({rule.class_pattern, rule.title_pattern, rule.display_name,
                                   std::to_string(rule.close_mode)});
  append_section(image, "[AutoClose]", close_rules);

  append_section(image, "[Associations]", data.associations);
  append_section(image, "[Firewall]", data.firewall);
  append_section(image, "[INF]", data.inf);
  append_section(image, "[MSI]", data.msi);
  append_section(image, "[Registry2]", to_utf8(data.registry_items));

  std::string conditional;
  for (const ConditionalDeletion& entry : data.conditional_deletions)
    if (entry.flags & ConditionalDeletion::kDuringUninstallation)
      conditional += kv::csv_record({entry.pattern, std::to_string(entry.comparison), entry.operand,
                                     std::to_string(entry.flags)});
  append_section(image, "[ConditionalDelete]", conditional);
  return image;
}

UninstallData parse_uninstall_image(std::string_view image) {
  UninstallData data;
  TextReader texts(data);
  Section section = Section::removal;
  for (const Line& line : cut_lines(image)) {
    int switch_to = section_index(line.text);
    if (switch_to >= 0) {
      if (section == Section::strings) texts.finish();
      section = kSectionOf[switch_to];
      continue;
    }
    switch (section) {
      case Section::removal:
        data.removal_lines.emplace_back(line.text);
        break;
      case Section::strings:
        texts.line(line);
        break;
      case Section::associations:
        read_association(data, line.text);
        break;
      case Section::auto_close:
        read_close_rule(data, line.text);
        break;
      // Blank lines carry no record; keeping them would let the section grow
      // with every rewrite.
      case Section::firewall:
        if (!line.text.empty()) append_line(data.firewall, line.text);
        break;
      case Section::inf:
        if (!line.text.empty()) append_line(data.inf, line.text);
        break;
      case Section::msi:
        if (!line.text.empty()) append_line(data.msi, line.text);
        break;
      case Section::registry:
        if (!line.text.empty()) {
          data.registry_items += kv::utf8_to_utf16(line.text);
          data.registry_items += u"\r\n";
        }
        break;
      case Section::conditional:
        read_conditional_deletion(data, line.text);
        break;
    }
  }
  if (section == Section::strings) texts.finish();
  return data;
}

std::vector<std::string_view> section_lines(std::string_view buffer) {
  std::vector<std::string_view> lines;
  for (const Line& line : cut_lines(buffer))
    if (!line.text.empty()) lines.push_back(line.text);
  return lines;
}

std::u16string uninstall_data_path(std::u16string_view install_folder, std::u16string_view uninstall_subdir) {
  return kv::join_path(kv::join_path(install_folder, kv::without_trailing_separators(uninstall_subdir)),
                       u"Uninstall.DAT");
}

}  // namespace uninstall
