#include "http_client.h"

#include <algorithm>

#include "text.h"

namespace kv {
namespace {

constexpr std::string_view kScheme = "http://";

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_alnum(char c) { return is_digit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool valid_host(std::string_view host, bool bracketed) {
  if (host.empty()) return false;
  for (char c : host) {
    bool ok = bracketed ? (is_alnum(c) || c == ':' || c == '.') : (is_alnum(c) || c == '-' || c == '.' || c == '_');
    if (!ok) return false;
  }
  return true;
}

// Empty text is the default port.
std::optional<std::uint16_t> parse_port(std::string_view text) {
  if (text.empty()) return 80;
  if (text.size() > 5) return std::nullopt;
  unsigned value = 0;
  for (char c : text) {
    if (!is_digit(c)) return std::nullopt;
    value = value * 10 + unsigned(c - '0');
  }
  if (value == 0 || value > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

std::string request_target(std::string_view rest) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  rest = rest.substr(0, rest.find('#'));
  std::string out = rest.starts_with('/') ? "" : "/";
  for (unsigned char c : rest) {
    if (c <= 0x20 || c >= 0x7F) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += char(c);
    }
  }
  return out;
}

// "HTTP/d.d ddd" followed by a blank or the line's end.
std::optional<int> status_of(std::string_view line) {
  if (line.size() < 12 || !line.starts_with("HTTP/") || !is_digit(line[5]) || line[6] != '.' || !is_digit(line[7]) ||
      line[8] != ' ')
    return std::nullopt;
  if (!is_digit(line[9]) || !is_digit(line[10]) || !is_digit(line[11])) return std::nullopt;
  if (line.size() > 12 && line[12] != ' ') return std::nullopt;
  int status = (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0');
  return status >= 100 ? std::optional<int>(status) : std::nullopt;
}

}  // namespace

std::optional<HttpAddress> parse_http_address(std::string_view address) {
  if (address.size() < kScheme.size() || !iequals(address.substr(0, kScheme.size()), kScheme)) return std::nullopt;
  address.remove_prefix(kScheme.size());
  std::size_t authority_end = address.find_first_of("/?#");
  std::string_view authority = address.substr(0, authority_end);
  std::string_view rest = authority_end == std::string_view::npos ? "" : address.substr(authority_end);
  if (authority.find('@') != std::string_view::npos) return std::nullopt;

  HttpAddress out;
  std::string_view host, port;
  if (authority.starts_with('[')) {
    std::size_t close = authority.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    host = authority.substr(1, close - 1);
    std::string_view after = authority.substr(close + 1);
    if (!after.empty() && !after.starts_with(':')) return std::nullopt;
    if (!after.empty()) port = after.substr(1);
    if (!valid_host(host, true)) return std::nullopt;
  } else {
    std::size_t colon = authority.find(':');
    host = authority.substr(0, colon);
    if (colon != std::string_view::npos) port = authority.substr(colon + 1);
    if (!valid_host(host, false)) return std::nullopt;
  }
  std::optional<std::uint16_t> number = parse_port(port);
  if (!number) return std::nullopt;
  out.host = std::string(host);
  out.port = *number;
  out.target = request_target(rest);
  return out;
}

namespace {

std::string request_head(std::string_view method, const HttpAddress& address, std::string_view user_agent) {
  const bool bracketed = address.host.find(':') != std::string::npos;
  std::string request(method);
  request.append(" ");
  request.append(address.target).append(" HTTP/1.1\r\nHost: ");
  if (bracketed) request.append("[");
  request.append(address.host);
  if (bracketed) request.append("]");
  if (address.port != 80) request.append(":").append(std::to_string(address.port));
  request.append("\r\nUser-Agent: ").append(user_agent);
  request.append("\r\nAccept: */*\r\nConnection: close\r\n");
  return request;
}

}  // namespace

std::string http_get_request(const HttpAddress& address, std::string_view user_agent) {
  return request_head("GET", address, user_agent) + "\r\n";
}

std::string http_post_request(const HttpAddress& address, std::string_view user_agent,
                              std::string_view content_type, std::string_view body) {
  std::string request = request_head("POST", address, user_agent);
  request.append("Content-Type: ").append(content_type).append("\r\n");
  request.append("Content-Length: ").append(std::to_string(body.size())).append("\r\n\r\n");
  return request.append(body);
}

HttpResponseReader::State HttpResponseReader::feed(std::string_view bytes) {
  if (state_ != State::reading) return state_;
  std::size_t searched = head_.size() >= 3 ? head_.size() - 3 : 0;
  head_.append(bytes.substr(0, kMaxHead + 4 - std::min(head_.size(), kMaxHead + 4)));
  // Anything but a status line is not an answer, however long it goes on.
  std::string_view start = std::string_view(head_).substr(0, 5);
  if (start != std::string_view("HTTP/").substr(0, start.size())) return state_ = State::malformed;

  std::size_t end = std::string::npos, cr = head_.find("\r\n\r\n", searched), lf = head_.find("\n\n", searched);
  end = std::min(cr == std::string::npos ? cr : cr + 4, lf == std::string::npos ? lf : lf + 2);
  if (end == std::string::npos) return state_ = head_.size() > kMaxHead ? State::malformed : State::reading;
  if (end > kMaxHead) return state_ = State::malformed;

  std::string_view line = std::string_view(head_).substr(0, head_.find('\n'));
  if (line.ends_with('\r')) line.remove_suffix(1);
  std::optional<int> status = status_of(line);
  if (!status) return state_ = State::malformed;
  status_ = *status;
  head_.resize(end);
  return state_ = State::complete;
}

}  // namespace kv
