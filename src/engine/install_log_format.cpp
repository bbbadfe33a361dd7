#include "install_log_format.h"

#include <algorithm>

#include "text.h"

namespace engine {
namespace {

// Widths and precisions beyond this are taken as this: a damaged format
// must not ask for gigabytes of padding.
constexpr std::size_t kMaxWidth = 1024;

struct Conversion {
  bool left = false, zero = false, plus = false, space = false;
  std::size_t width = 0;
  bool has_precision = false;
  std::size_t precision = 0;
  char16_t letter = 0;
};

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

std::size_t read_number(std::u16string_view f, std::size_t& i) {
  std::size_t n = 0;
  while (i < f.size() && is_digit(f[i])) n = std::min(kMaxWidth, n * 10 + (f[i++] - u'0'));
  return n;
}

std::u16string digits(std::uint64_t value, unsigned base, bool upper) {
  const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::u16string out;
  do {
    out.insert(out.begin(), char16_t(set[value % base]));
    value /= base;
  } while (value);
  return out;
}

std::u16string format_number(const Conversion& conv, const FormatArg& arg) {
  std::u16string sign, body;
  if (conv.letter == u'd' || conv.letter == u'i') {
    std::int64_t v = arg.as_signed();
    std::uint64_t magnitude = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    body = digits(magnitude, 10, false);
    sign = v < 0 ? u"-" : conv.plus ? u"+" : conv.space ? u" " : u"";
  } else {
    unsigned base = conv.letter == u'u' ? 10 : 16;
    body = digits(arg.as_unsigned(), base, conv.letter == u'X');
  }
  if (conv.has_precision && body.size() < conv.precision) body.insert(0, conv.precision - body.size(), u'0');
  if (conv.zero && !conv.left && !conv.has_precision && sign.size() + body.size() < conv.width)
    body.insert(0, conv.width - sign.size() - body.size(), u'0');
  return sign + body;
}

std::u16string format_one(const Conversion& conv, const FormatArg* arg) {
  std::u16string out;
  if (arg) {
    switch (conv.letter) {
      case u'd': case u'i': case u'u': case u'x': case u'X':
        out = arg->is_number() ? format_number(conv, *arg) : arg->text();
        break;
      case u'c':
        if (arg->is_number())
          out = char16_t(arg->as_unsigned());
        else
          out = arg->text().substr(0, 1);
        break;
      default:  // s
        out = arg->text();
        if (conv.has_precision && out.size() > conv.precision) out.resize(conv.precision);
        break;
    }
  }
  if (out.size() < conv.width) {
    if (conv.left)
      out.append(conv.width - out.size(), u' ');
    else
      out.insert(0, conv.width - out.size(), u' ');
  }
  return out;
}

}  // namespace

std::u16string FormatArg::text() const {
  switch (kind_) {
    case Kind::wide: return std::u16string(wide_);
    case Kind::narrow: return kv::cp1252_to_utf16(narrow_);
    case Kind::signed_number: return kv::to_u16(as_signed());
    case Kind::unsigned_number: return kv::ascii_to_utf16(std::to_string(as_unsigned()));
  }
  return {};
}

std::int64_t FormatArg::as_signed() const {
  if (kind_ != Kind::signed_number || bytes_ >= 8) return static_cast<std::int64_t>(number_);
  // Sign-extend from the argument's own width.
  const unsigned bits = bytes_ * 8;
  const std::uint64_t sign = std::uint64_t(1) << (bits - 1);
  const std::uint64_t value = number_ & ((sign << 1) - 1);
  return static_cast<std::int64_t>((value ^ sign) - sign);
}

std::uint64_t FormatArg::as_unsigned() const {
  if (bytes_ >= 8) return number_;
  return number_ & ((std::uint64_t(1) << (bytes_ * 8)) - 1);
}

std::u16string format_wide_args(std::u16string_view f, std::span<const FormatArg> args) {
  std::u16string out;
  std::size_t next_arg = 0;
  std::size_t i = 0;
  while (i < f.size()) {
    char16_t c = f[i++];
    if (c != u'%') {
      out += c;
      continue;
    }
    if (i < f.size() && f[i] == u'%') {
      out += u'%';
      ++i;
      continue;
    }
    const std::size_t start = i - 1;
    Conversion conv;
    for (; i < f.size(); ++i) {
      if (f[i] == u'-') conv.left = true;
      else if (f[i] == u'0') conv.zero = true;
      else if (f[i] == u'+') conv.plus = true;
      else if (f[i] == u' ') conv.space = true;
      else if (f[i] != u'#') break;
    }
    conv.width = read_number(f, i);
    if (i < f.size() && f[i] == u'.') {
      ++i;
      conv.has_precision = true;
      conv.precision = read_number(f, i);
    }
    while (i < f.size() && (f[i] == u'h' || f[i] == u'l' || f[i] == u'L' || f[i] == u'z' || f[i] == u'j' ||
                            f[i] == u't' || f[i] == u'q'))
      ++i;
    if (i < f.size() && f[i] == u'I') {  // I, I32, I64
      ++i;
      if (f.substr(i, 2) == u"32" || f.substr(i, 2) == u"64") i += 2;
    }
    if (i >= f.size() || std::u16string_view(u"diuxXcs").find(f[i]) == std::u16string_view::npos) {
      // Not a conversion this formatter knows: keep the text as written.
      out.append(f.substr(start, i - start));
      continue;
    }
    conv.letter = f[i++];
    out += format_one(conv, next_arg < args.size() ? &args[next_arg] : nullptr);
    ++next_arg;
  }
  return out;
}

}  // namespace engine
