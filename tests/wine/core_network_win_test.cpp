// The core library's worker thread and its queue, and its HTTP client
// against a loopback server of the test's own.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "http_client.h"
#include "thread_message_queue.h"

namespace {

class RecordingWorker final : public kv::MessageWorker {
 public:
  ~RecordingWorker() override { stop_and_wait(); }
  std::vector<std::string> handled;  // read only after the thread has ended
  DWORD thread = 0;

 protected:
  void handle(const std::string& text) override {
    handled.push_back(text);
    thread = GetCurrentThreadId();
  }
};

TEST(MessageWorker, HandlesEveryMessagePostedBeforeTheStopInOrder) {
  RecordingWorker worker;
  ASSERT_TRUE(worker.start());
  std::vector<std::string> posted;
  for (int i = 0; i < 200; ++i) {
    posted.push_back("request " + std::to_string(i));
    worker.post(posted.back());
  }
  worker.stop_and_wait();
  EXPECT_EQ(worker.handled, posted);
  EXPECT_NE(worker.thread, GetCurrentThreadId());
  worker.stop_and_wait();  // a second stop finds nothing to wait for
}

TEST(MessageWorker, AWorkerNeverStartedStopsAtOnce) {
  RecordingWorker worker;
  worker.post("never handled");
  worker.stop_and_wait();
  EXPECT_TRUE(worker.handled.empty());
}

// Accepts one connection on 127.0.0.1, keeps what the client sent up to the
// end of its head and answers with `answer` (nothing: closes at once).
class LoopbackServer {
 public:
  explicit LoopbackServer(std::string answer) : answer_(std::move(answer)) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    bind(listener_, reinterpret_cast<sockaddr*>(&address), size);
    listen(listener_, 1);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }
  ~LoopbackServer() {
    if (thread_.joinable()) thread_.join();
    closesocket(listener_);
  }
  int port() const { return port_; }
  // What the client sent; waits for the server to finish.
  std::string request() {
    thread_.join();
    return request_;
  }

 private:
  void serve() {
    SOCKET client = accept(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) return;
    char buffer[1024];
    while (request_.find("\r\n\r\n") == std::string::npos) {
      int n = recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      request_.append(buffer, n);
    }
    if (!answer_.empty()) send(client, answer_.data(), static_cast<int>(answer_.size()), 0);
    closesocket(client);
  }

  std::string answer_;
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::thread thread_;
  std::string request_;
};

TEST(HttpClient, SendsAPlainGetAndReadsTheStatus) {
  LoopbackServer server("HTTP/1.1 204 No Content\r\nServer: test\r\n\r\n");
  const std::string host = "127.0.0.1:" + std::to_string(server.port());
  EXPECT_EQ(kv::http_get("http://" + host + "/n?os=NT%205.3", "Tarvel-K", 30000), 204);
  EXPECT_EQ(server.request(), "GET /n?os=NT%205.3 HTTP/1.1\r\nHost: " + host +
                                  "\r\nUser-Agent: Tarvel-K\r\nAccept: */*\r\nConnection: close\r\n\r\n");
}

TEST(HttpClient, NoAnswerIsAFailure) {
  {
    LoopbackServer server("<html>not an answer</html>");
    EXPECT_EQ(kv::http_get("http://127.0.0.1:" + std::to_string(server.port()) + "/", "A", 30000), 0);
  }
  int closed_port = 0;
  {
    LoopbackServer server("");  // closes without an answer
    closed_port = server.port();
    EXPECT_EQ(kv::http_get("http://127.0.0.1:" + std::to_string(closed_port) + "/", "A", 30000), 0);
  }
  // Nobody listens there any more.
  EXPECT_EQ(kv::http_get("http://127.0.0.1:" + std::to_string(closed_port) + "/", "A", 30000), 0);
  EXPECT_EQ(kv::http_get("https://127.0.0.1/", "A", 30000), 0);
}

}  // namespace
