// The core library's HTTP client without the network: which addresses it
// sends to, the request it writes and how it reads an answer's head.
#include <gtest/gtest.h>

#include <string>

#include "http_client.h"

namespace {

using kv::HttpResponseReader;

TEST(HttpClient, Addresses) {
  struct Case {
    std::string_view address;
    std::string host;
    std::uint16_t port;
    std::string target;
  };
  const Case cases[] = {
      {"http://example.com", "example.com", 80, "/"},
      {"HTTP://Example.com:8080", "Example.com", 8080, "/"},
      {"http://127.0.0.1:65535/a/b?x=1&y=2#top", "127.0.0.1", 65535, "/a/b?x=1&y=2"},
      {"http://h?q", "h", 80, "/?q"},
      {"http://h:/p", "h", 80, "/p"},
      {"http://[::1]:81/p", "::1", 81, "/p"},
      // Encoded placeholders arrive as they are; what could add a line to
      // the request is encoded.
      {"http://h/n?os=NT%205.3", "h", 80, "/n?os=NT%205.3"},
      {"http://h/a b\r\nX: y", "h", 80, "/a%20b%0D%0AX:%20y"},
      {"http://h/\xc3\xa9", "h", 80, "/%C3%A9"},
  };
  for (const Case& c : cases) {
    auto got = kv::parse_http_address(c.address);
    ASSERT_TRUE(got) << c.address;
    EXPECT_EQ(got->host, c.host) << c.address;
    EXPECT_EQ(got->port, c.port) << c.address;
    EXPECT_EQ(got->target, c.target) << c.address;
  }
  for (std::string_view refused : {"https://example.com/", "ftp://h/", "http:h", "http://", "http://:80/",
                                   "http://user@h/", "http://h:0/", "http://h:65536/", "http://h:8o/",
                                   "http://h h/", "http://[::1/", "http://[::1]x/", "http://h\r\n/"})
    EXPECT_FALSE(kv::parse_http_address(refused)) << refused;
}

TEST(HttpClient, Request) {
  EXPECT_EQ(kv::http_get_request(*kv::parse_http_address("http://h/n?v=1"), "Tarvel-K"),
            "GET /n?v=1 HTTP/1.1\r\nHost: h\r\nUser-Agent: Tarvel-K\r\nAccept: */*\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(kv::http_get_request(*kv::parse_http_address("http://[::1]:8080"), "A"),
            "GET / HTTP/1.1\r\nHost: [::1]:8080\r\nUser-Agent: A\r\nAccept: */*\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(kv::http_post_request(*kv::parse_http_address("http://h:81/form"), "A", "text/plain", "a=1"),
            "POST /form HTTP/1.1\r\nHost: h:81\r\nUser-Agent: A\r\nAccept: */*\r\nConnection: close\r\n"
            "Content-Type: text/plain\r\nContent-Length: 3\r\n\r\na=1");
}

TEST(HttpClient, AnswerHeadInAnyPieces) {
  const std::string answer = "HTTP/1.1 204 No Content\r\nServer: x\r\n\r\nbody that is never read";
  for (std::size_t cut = 0; cut <= answer.size(); ++cut) {
    HttpResponseReader reader;
    reader.feed(std::string_view(answer).substr(0, cut));
    reader.feed(std::string_view(answer).substr(cut));
    EXPECT_EQ(reader.state(), HttpResponseReader::State::complete) << cut;
    EXPECT_EQ(reader.status(), 204) << cut;
  }
  HttpResponseReader bytewise;
  for (char c : answer) bytewise.feed(std::string_view(&c, 1));
  EXPECT_EQ(bytewise.status(), 204);
}

TEST(HttpClient, AnswerHeads) {
  struct Case {
    std::string head;
    HttpResponseReader::State state;
    int status;
  };
  using S = HttpResponseReader::State;
  const Case cases[] = {
      {"HTTP/1.0 200\n\n", S::complete, 200},
      {"HTTP/1.1 404 Not Found\r\n\r\n", S::complete, 404},
      {"HTTP/1.1 200 OK\r\nX: y\r\n", S::reading, 0},
      {"HTTP/1.1 20 OK\r\n\r\n", S::malformed, 0},
      {"HTTP/1.1 099 Low\r\n\r\n", S::malformed, 0},
      {"HTTP/1.1 2000\r\n\r\n", S::malformed, 0},
      {"HTTP/x.1 200 OK\r\n\r\n", S::malformed, 0},
      {"<html>", S::malformed, 0},
      {"HTT", S::reading, 0},
      {"HTTP/1.1 200 OK\r\n" + std::string(HttpResponseReader::kMaxHead, 'x'), S::malformed, 0},
  };
  for (const Case& c : cases) {
    HttpResponseReader reader;
    EXPECT_EQ(reader.feed(c.head), c.state) << c.head.substr(0, 40);
    EXPECT_EQ(reader.status(), c.status) << c.head.substr(0, 40);
  }
}

}  // namespace
