// The server as a browser and a hostile page see it: only its page, data and stream, only under its own
// address, every open stream updated, streams that close early or in numbers, a clean stop.
#include "tool/serve/web_server.h"

#include <httplib.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <memory>
#include <string_view>
#include <thread>

namespace pack {
namespace {

constexpr const char* kToken = "0123456789abcdef0123456789abcdef";

class WebServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    channel_.publish("{\"n\":1}");
    port_ = server_.bind(0).port;
    ASSERT_GT(port_, 0);
    server_.start();
  }

  httplib::Client client() {
    httplib::Client c("127.0.0.1", port_);
    c.set_read_timeout(5, 0);
    return c;
  }
  std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
  // A path with the token in its query.
  static std::string withToken(const std::string& path) { return path + "?token=" + kToken; }

  LiveChannel channel_;
  WebServer server_{channel_, [] { return std::make_shared<const std::string>("<html>the page</html>"); }, kToken};
  int port_ = 0;
};

TEST_F(WebServerTest, ServesItsPageAndDataAndNothingElse) {
  httplib::Client c = client();
  auto page = c.Get(withToken("/"));
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_EQ(page->body, "<html>the page</html>");
  auto data = c.Get(withToken("/data"));
  ASSERT_TRUE(data);
  EXPECT_EQ(data->body, "{\"n\":1}");
  for (const char* path : {"/../CMakeLists.txt", "/Borgorosso_MontegranoC_linea.txt", "/index.html", "/data/x", "/%2e%2e/"}) {
    auto r = c.Get(withToken(path));
    ASSERT_TRUE(r) << path;
    EXPECT_EQ(r->status, 404) << path;
  }
  auto post = c.Post(withToken("/"), "x", "text/plain");
  ASSERT_TRUE(post);
  EXPECT_GE(post->status, 400);
  EXPECT_LT(post->status, 500);
}

TEST_F(WebServerTest, AnswersOnlyToItsOwnAddress) {
  const std::string port = ":" + std::to_string(port_);
  struct Case {
    std::string host;
    int status;
  };
  const Case cases[] = {{"127.0.0.1" + port, 200}, {"localhost" + port, 200},  {"[::1]" + port, 200},
                        {"evil.example" + port, 403}, {"127.0.0.1", 403},      {"127.0.0.1:1", 403},
                        {"127.0.0.2" + port, 403},   {"localhost.evil.example" + port, 403}};
  for (const Case& c : cases) {
    httplib::Client cl = client();
    auto r = cl.Get(withToken("/data"), {{"Host", c.host}});
    ASSERT_TRUE(r) << c.host;
    EXPECT_EQ(r->status, c.status) << c.host;
  }
}

TEST_F(WebServerTest, RefusesEveryRequestWithoutItsToken) {
  const std::string cookie = WebServer::cookieName(port_) + "=";
  struct Case {
    std::string path;
    std::string cookie;
    int status;
  };
  const Case cases[] = {{"/", "", 403},
                        {"/data", "", 403},
                        {"/events", "", 403},
                        {"/nothing", "", 403},
                        {"/data?token=", "", 403},
                        {"/data?token=0123456789abcdef0123456789abcdee", "", 403},
                        {"/data?token=0123456789abcdef0123456789abcdef0", "", 403},
                        {"/data", cookie + "0123456789abcdef", 403},
                        {"/data", WebServer::cookieName(port_ + 1) + "=" + kToken, 403},
                        {"/data?token=0123456789abcdef0123456789abcdef", "", 200},
                        {"/data", cookie + kToken, 200},
                        {"/data", "other=1; " + cookie + kToken + "; more=2", 200},
                        {"/nothing", cookie + kToken, 404}};
  for (const Case& c : cases) {
    httplib::Client cl = client();
    httplib::Headers headers;
    if (!c.cookie.empty()) headers.emplace("Cookie", c.cookie);
    auto r = cl.Get(c.path, headers);
    ASSERT_TRUE(r) << c.path << " " << c.cookie;
    EXPECT_EQ(r->status, c.status) << c.path << " " << c.cookie;
    if (c.status == 403) {
      EXPECT_EQ(r->body.find("the page"), std::string::npos) << c.path;
    }
  }
  // The page opened with its address gives the browser the cookie for the page's own requests.
  httplib::Client cl = client();
  auto page = cl.Get(withToken("/"));
  ASSERT_TRUE(page);
  EXPECT_EQ(page->get_header_value("Set-Cookie").rfind(cookie + kToken + ";", 0), 0u) << page->get_header_value("Set-Cookie");
}

// Another program on ::1 at the port asked for: 127.0.0.1 is served, and the caller learns that ::1 is not.
TEST(WebServerPorts, TellsWhenIpv6AtItsPortIsTaken) {
  httplib::Server other;
  const int port = other.bind_to_any_port("::1");
  if (port <= 0) GTEST_SKIP() << "no IPv6 on this machine";
  LiveChannel channel;
  WebServer server(channel, [] { return std::make_shared<const std::string>("page"); }, kToken);
  WebServer::Bound bound = server.bind(port);
  EXPECT_EQ(bound.port, port);
  EXPECT_FALSE(bound.ipv6);
}

// Reads a stream until it has seen `want` messages (or the server ends it); returns the last.
std::string readMessages(httplib::Client& c, int want, std::atomic<int>* seen = nullptr) {
  std::string buffer, last;
  int count = 0;
  c.Get(std::string("/events?token=") + kToken, [&](const char* data, std::size_t size) {
    buffer.append(data, size);
    for (std::size_t end; (end = buffer.find("\n\n")) != std::string::npos; buffer.erase(0, end + 2)) {
      if (buffer.rfind("data: ", 0) != 0) continue;
      last = buffer.substr(6, end - 6);
      ++count;
      if (seen) ++*seen;
    }
    return count < want;
  });
  return last;
}

TEST_F(WebServerTest, EveryOpenStreamGetsEachMessageAndEarlyClosesDoNotHurt) {
  constexpr int kPages = 20;
  std::atomic<int> seen{0};
  std::vector<std::thread> pages;
  std::vector<std::string> lasts(kPages);
  for (int i = 0; i < kPages; ++i) {
    pages.emplace_back([&, i] {
      httplib::Client c = client();
      // Every other page leaves after the first message, while the stream goes on.
      lasts[static_cast<std::size_t>(i)] = readMessages(c, i % 2 == 0 ? 1 : 2, &seen);
    });
  }
  for (int i = 0; i < 500 && seen < kPages; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(seen, kPages) << "each page gets the current message at once";
  channel_.publish("{\"n\":2}");
  for (std::thread& t : pages) t.join();
  for (int i = 0; i < kPages; ++i) {
    EXPECT_EQ(lasts[static_cast<std::size_t>(i)], i % 2 == 0 ? "{\"n\":1}" : "{\"n\":2}") << i;
  }
  httplib::Client c = client();
  auto page = c.Get(withToken("/"));
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200) << "the server still answers after pages went away";
}

TEST_F(WebServerTest, StopsWithStreamsOpen) {
  std::vector<std::thread> pages;
  std::atomic<int> seen{0};
  for (int i = 0; i < 5; ++i) {
    pages.emplace_back([&] {
      httplib::Client c = client();
      readMessages(c, 1000, &seen);
    });
  }
  for (int i = 0; i < 500 && seen < 5; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  auto start = std::chrono::steady_clock::now();
  server_.stop();
  for (std::thread& t : pages) t.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}


// --- What any local process may send -------------------------------------------------------------------

// A raw connection to the server, for requests no HTTP client would send.
class RawConnection {
 public:
  explicit RawConnection(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval wait{10, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~RawConnection() { ::close(fd_); }

  bool send(std::string_view bytes) {
    while (connected_ && !bytes.empty()) {
      ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return connected_;
  }
  // Sends `first`, then `more` again and again until the server stops taking it or `most` bytes went;
  // returns the bytes sent.
  std::size_t flood(std::string_view first, std::string_view more, std::size_t most) {
    std::size_t sent = send(first) ? first.size() : 0;
    while (sent > 0 && sent < most && send(more)) sent += more.size();
    return sent;
  }
  // Everything until the server closes; `head` gets the first bytes.
  std::size_t receiveAll(std::string* head = nullptr) {
    char buffer[65536];
    std::size_t total = 0;
    for (ssize_t n; (n = ::recv(fd_, buffer, sizeof buffer, 0)) > 0; total += static_cast<std::size_t>(n)) {
      if (head && head->size() < 256) head->append(buffer, std::min<std::size_t>(static_cast<std::size_t>(n), 256));
    }
    return total;
  }

 private:
  int fd_ = -1;
  bool connected_ = false;
};

std::int64_t residentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::int64_t size = 0, resident = 0;
  statm >> size >> resident;
  return resident * ::sysconf(_SC_PAGESIZE);
}

class AttackedServer : public ::testing::Test {
 protected:
  void SetUp() override {
    channel_.publish(std::string(200 * 1024, 'm'));
    port_ = server_.bind(0).port;
    ASSERT_GT(port_, 0);
    server_.start();
  }
  std::string request(const std::string& path, const std::string& extra = "") const {
    return "GET " + path + (path.find('?') == std::string::npos ? "?" : "&") + "token=" + kToken +
           " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port_) + "\r\n" + extra + "\r\n";
  }

  LiveChannel channel_;
  WebServer server_{channel_, [] { return std::make_shared<const std::string>(1 << 20, 'p'); }, kToken};
  int port_ = 0;
};

// All at once: replies of thousands of ranges, endless headers and request lines, slow requests and every
// stream taken. The server's memory stays within its bound, each attack ends soon, and the page's data is
// still fetched within seconds.
TEST_F(AttackedServer, StaysBoundedAndAnswersThePageUnderEveryAttackAtOnce) {
  {
    RawConnection warm(port_);  // the threads and the page made once, as on an idle server
    warm.send(request("/"));
    warm.receiveAll();
  }
  const std::int64_t idle = residentBytes();
  std::atomic<std::int64_t> peak{idle};
  std::atomic<bool> attacking{true};
  std::thread sampler([&] {
    while (attacking) {
      peak = std::max<std::int64_t>(peak, residentBytes());
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });

  std::vector<std::thread> attacks;
  std::atomic<std::size_t> largestRangeReply{0}, mostFlooded{0};
  std::string ranges = "Range: bytes=0-";
  for (int i = 0; i < 2700; ++i) ranges += ",0-";
  for (int i = 0; i < 4; ++i) {
    attacks.emplace_back([&] {
      RawConnection c(port_);
      c.send(request("/", ranges + "\r\n"));
      largestRangeReply = std::max(largestRangeReply.load(), c.receiveAll());
    });
  }
  const std::string headerLine = "X-Flood: " + std::string(1000, 'h') + "\r\n";
  for (int i = 0; i < 4; ++i) {
    attacks.emplace_back([&, i] {
      RawConnection c(port_);
      std::size_t sent = i % 2 == 0 ? c.flood("GET /data?token=" + std::string(kToken) + " HTTP/1.1\r\n", headerLine, 256u << 20)
                                    : c.flood("GET /", std::string(4096, 'a'), 256u << 20);
      mostFlooded = std::max(mostFlooded.load(), sent);
    });
  }
  std::vector<std::unique_ptr<RawConnection>> streams;
  for (int i = 0; i < WebServer::kMostStreams; ++i) {
    streams.push_back(std::make_unique<RawConnection>(port_));
    streams.back()->send(request("/events"));
  }
  std::atomic<int> slowEndedSoon{0};
  constexpr int kSlow = 20;
  for (int i = 0; i < kSlow; ++i) {
    attacks.emplace_back([&] {
      RawConnection c(port_);
      const std::string line = request("/data");
      auto start = std::chrono::steady_clock::now();
      for (char byte : line) {
        if (!c.send(std::string_view(&byte, 1))) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(8)) break;
      }
      c.receiveAll();
      if (std::chrono::steady_clock::now() - start < std::chrono::seconds(8)) ++slowEndedSoon;
    });
  }

  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  auto start = std::chrono::steady_clock::now();
  RawConnection fetch(port_);
  fetch.send(request("/data"));
  std::string head;
  std::size_t fetched = fetch.receiveAll(&head);
  const double fetchSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  for (std::thread& t : attacks) t.join();
  attacking = false;
  sampler.join();
  streams.clear();

  EXPECT_EQ(head.rfind("HTTP/1.1 200", 0), 0u) << head;
  EXPECT_GT(fetched, 200u * 1024) << "the page's data, whole";
  EXPECT_LT(fetchSeconds, 8) << "the page's data fetched within its bound while under attack";
  EXPECT_LT(largestRangeReply.load(), (1u << 20) + 4096) << "thousands of ranges get the page once, not thousands of times";
  EXPECT_LT(mostFlooded.load(), 16u << 20) << "an endless head is cut off soon";
  EXPECT_EQ(slowEndedSoon.load(), kSlow) << "a slow request ends within its time";
#if !defined(PACK_SANITIZED)
  const std::int64_t grew = peak - idle;
  std::cout << "[ memory ] idle " << idle / 1024 << " KiB, peak under attack " << peak / 1024 << " KiB (+"
            << grew / 1024 << " KiB)\n";
  EXPECT_LT(grew, std::int64_t{64} << 20) << "the server's memory within 64 MB of idle";
#endif
}

TEST_F(AttackedServer, PagesThatWentAwayFreeTheirPlaceWithinSeconds) {
  std::vector<std::unique_ptr<RawConnection>> pages;
  for (int i = 0; i < WebServer::kMostStreams; ++i) {
    pages.push_back(std::make_unique<RawConnection>(port_));
    pages.back()->send(request("/events"));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  {
    RawConnection another(port_);
    another.send(request("/events"));
    std::string head;
    another.receiveAll(&head);
    EXPECT_EQ(head.rfind("HTTP/1.1 503", 0), 0u) << "every stream is taken: " << head;
  }
  pages.clear();
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  RawConnection another(port_);
  another.send(request("/events"));
  std::string head;
  std::thread closer([&] {
    std::this_thread::sleep_for(std::chrono::seconds(2));
    server_.stop();
  });
  another.receiveAll(&head);
  closer.join();
  EXPECT_EQ(head.rfind("HTTP/1.1 200", 0), 0u) << "a new page gets its stream 2.5 s after the others went: " << head;
}

}  // namespace
}  // namespace pack
