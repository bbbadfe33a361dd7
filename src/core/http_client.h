#pragma once
// The core library's own HTTP/1.1 client: a plain GET over a socket, for the
// requests that the system's internet library could not send. The answer is
// read only as far as its status line and headers; its body is ignored.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kv {

struct HttpAddress {
  std::string host;  // a name or an IP address (an IPv6 address without its brackets)
  std::uint16_t port = 80;
  std::string target;  // path and query; "/" when the address has neither
};

// "http://host[:port][/path][?query][#fragment]", the scheme in any letter
// case. Nothing for another scheme, user information ("name@host"), an empty
// or malformed host and a port outside 1 to 65535. Bytes of the target that
// may not stand in a request line (controls, blanks, bytes above 0x7E) are
// percent-encoded, so that no address can add lines to the request; the
// fragment is dropped.
std::optional<HttpAddress> parse_http_address(std::string_view address);

// GET with Host, User-Agent, "Accept: */*" and "Connection: close".
std::string http_get_request(const HttpAddress& address, std::string_view user_agent);
// POST with the same headers, then the content type and length, then the body.
std::string http_post_request(const HttpAddress& address, std::string_view user_agent,
                              std::string_view content_type, std::string_view body);

// The head of a response, read as its pieces arrive.
class HttpResponseReader {
 public:
  enum class State { reading, complete, malformed };
  static constexpr std::size_t kMaxHead = 16384;

  // Takes the next piece; once complete or malformed, further pieces are
  // ignored.
  State feed(std::string_view bytes);
  State state() const { return state_; }
  // The status code (100 to 999) of a complete head.
  int status() const { return status_; }

 private:
  std::string head_;
  State state_ = State::reading;
  int status_ = 0;
};

// Windows only: sends the request and reads the answer's head. The status
// code, or 0 when the address is not an "http:" one or no answer came. The
// connection, each send and each receive wait at most timeout_ms.
int http_get(std::string_view address, std::string_view user_agent, unsigned timeout_ms);
int http_post(std::string_view address, std::string_view user_agent, std::string_view content_type,
              std::string_view body, unsigned timeout_ms);

}  // namespace kv
