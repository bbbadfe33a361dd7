#include "http_client.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include "win_handles.h"

namespace kv {
namespace {

struct SocketTraits {
  static SOCKET invalid() { return INVALID_SOCKET; }
  static bool valid(SOCKET s) { return s != INVALID_SOCKET; }
  static void close(SOCKET s) { closesocket(s); }
};
using UniqueSocket = UniqueResource<SOCKET, SocketTraits>;

struct AddressListTraits {
  static addrinfo* invalid() { return nullptr; }
  static bool valid(addrinfo* a) { return a != nullptr; }
  static void close(addrinfo* a) { freeaddrinfo(a); }
};
using UniqueAddressList = UniqueResource<addrinfo*, AddressListTraits>;

// Started once and kept for the process.
bool winsock_ready() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

bool set_blocking(SOCKET s, bool blocking) {
  u_long non_blocking = blocking ? 0 : 1;
  return ioctlsocket(s, FIONBIO, &non_blocking) == 0;
}

// A connected socket whose sends and receives time out, or an empty one.
UniqueSocket connect_within(const addrinfo& address, unsigned timeout_ms) {
  UniqueSocket s(socket(address.ai_family, address.ai_socktype, address.ai_protocol));
  if (!s || !set_blocking(s.get(), false)) return UniqueSocket();
  if (connect(s.get(), address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0) {
    if (WSAGetLastError() != WSAEWOULDBLOCK) return UniqueSocket();
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s.get(), &writable);
    FD_SET(s.get(), &failed);
    timeval limit{static_cast<long>(timeout_ms / 1000), static_cast<long>(timeout_ms % 1000) * 1000};
    if (select(0, nullptr, &writable, &failed, &limit) != 1 || !FD_ISSET(s.get(), &writable)) return UniqueSocket();
  }
  DWORD limit = timeout_ms;
  if (!set_blocking(s.get(), true) ||
      setsockopt(s.get(), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&limit), sizeof limit) != 0 ||
      setsockopt(s.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit), sizeof limit) != 0)
    return UniqueSocket();
  return s;
}

int exchange(SOCKET s, std::string_view request) {
  while (!request.empty()) {
    int sent = send(s, request.data(), static_cast<int>(request.size()), 0);
    if (sent <= 0) return 0;
    request.remove_prefix(static_cast<std::size_t>(sent));
  }
  HttpResponseReader reader;
  char buffer[4096];
  while (reader.state() == HttpResponseReader::State::reading) {
    int received = recv(s, buffer, sizeof buffer, 0);
    if (received <= 0) break;
    reader.feed(std::string_view(buffer, static_cast<std::size_t>(received)));
  }
  return reader.state() == HttpResponseReader::State::complete ? reader.status() : 0;
}

int send_request(const HttpAddress& target, const std::string& request, unsigned timeout_ms) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  UniqueAddressList found;
  if (getaddrinfo(target.host.c_str(), std::to_string(target.port).c_str(), &hints, found.put()) != 0) return 0;
  for (const addrinfo* a = found.get(); a; a = a->ai_next)
    if (UniqueSocket s = connect_within(*a, timeout_ms)) return exchange(s.get(), request);
  return 0;
}

}  // namespace

int http_get(std::string_view address, std::string_view user_agent, unsigned timeout_ms) {
  std::optional<HttpAddress> target = parse_http_address(address);
  if (!target || !winsock_ready()) return 0;
  return send_request(*target, http_get_request(*target, user_agent), timeout_ms);
}

int http_post(std::string_view address, std::string_view user_agent, std::string_view content_type,
              std::string_view body, unsigned timeout_ms) {
  std::optional<HttpAddress> target = parse_http_address(address);
  if (!target || !winsock_ready()) return 0;
  return send_request(*target, http_post_request(*target, user_agent, content_type, body), timeout_ms);
}

}  // namespace kv
