// The server as a browser and a hostile page see it: only its page, data and stream, only under its own
// address, every open stream updated, streams that close early or in numbers, a clean stop.
#include "tool/serve/web_server.h"

#include <httplib.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace pack {
namespace {

class WebServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    channel_.publish("{\"n\":1}");
    port_ = server_.bind(0);
    ASSERT_GT(port_, 0);
    server_.start();
  }

  httplib::Client client() {
    httplib::Client c("127.0.0.1", port_);
    c.set_read_timeout(5, 0);
    return c;
  }
  std::string host() const { return "127.0.0.1:" + std::to_string(port_); }

  LiveChannel channel_;
  WebServer server_{channel_, [] { return std::string("<html>the page</html>"); }};
  int port_ = 0;
};

TEST_F(WebServerTest, ServesItsPageAndDataAndNothingElse) {
  httplib::Client c = client();
  auto page = c.Get("/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_EQ(page->body, "<html>the page</html>");
  auto data = c.Get("/data");
  ASSERT_TRUE(data);
  EXPECT_EQ(data->body, "{\"n\":1}");
  for (const char* path : {"/../CMakeLists.txt", "/Borgorosso_MontegranoC_linea.txt", "/index.html", "/data/x", "/%2e%2e/"}) {
    auto r = c.Get(path);
    ASSERT_TRUE(r) << path;
    EXPECT_EQ(r->status, 404) << path;
  }
  auto post = c.Post("/", "x", "text/plain");
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
    auto r = cl.Get("/data", {{"Host", c.host}});
    ASSERT_TRUE(r) << c.host;
    EXPECT_EQ(r->status, c.status) << c.host;
  }
}

// Reads a stream until it has seen `want` messages (or the server ends it); returns the last.
std::string readMessages(httplib::Client& c, int want, std::atomic<int>* seen = nullptr) {
  std::string buffer, last;
  int count = 0;
  c.Get("/events", [&](const char* data, std::size_t size) {
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
  auto page = c.Get("/");
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

}  // namespace
}  // namespace pack
