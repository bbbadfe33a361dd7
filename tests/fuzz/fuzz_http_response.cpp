// The answer of a web server to the core library's HTTP client, in pieces
// as the network hands them over, and the notification address it was sent
// to. Whatever the pieces, the head must be read the same as in one piece,
// and an address must never give a request with a line break of its own.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "http_client.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);

  kv::HttpResponseReader whole;
  whole.feed(text);
  kv::HttpResponseReader pieces;
  std::size_t step = size ? data[0] % 7 + 1 : 1;
  for (std::size_t at = 0; at < size; at += step) pieces.feed(text.substr(at, step));
  if (pieces.state() != whole.state() || pieces.status() != whole.status()) std::abort();
  if (whole.state() == kv::HttpResponseReader::State::complete && (whole.status() < 100 || whole.status() > 999))
    std::abort();

  if (auto address = kv::parse_http_address(text)) {
    if (address->host.empty() || address->port == 0 || !address->target.starts_with('/')) std::abort();
    std::string request = kv::http_get_request(*address, "Tarvel-K");
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = request.find('\n', at)) != std::string::npos; ++at) ++lines;
    if (lines != 6) std::abort();  // five header lines and the empty one
  }
  return 0;
}
