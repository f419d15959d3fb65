#include "tool/serve/web_server.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/live.h"

namespace pack {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kThreads = WebServer::kMostStreams + WebServer::kFetchThreads;
// Connections accepted while every thread is busy wait here; more are closed at once.
constexpr std::size_t kMostWaiting = 256;
// A request's head (request line and headers) must arrive whole within this time of the connection's
// accepting, in at most this many bytes and lines; the server reads no bodies.
constexpr auto kHeadTime = std::chrono::seconds(3);
constexpr std::size_t kMostHeadBytes = 32 * 1024;
constexpr int kMostHeadLines = 100;
constexpr std::size_t kMostRequestBody = 4096;
constexpr time_t kReadTimeoutSeconds = 1;  // one wait for bytes; kHeadTime bounds them all
constexpr time_t kWriteTimeoutSeconds = 5;  // a client that stops reading is dropped after this
// A comment line sent when nothing else is: the write finds a page that went away.
constexpr std::chrono::seconds kHeartbeat{1};
// Messages are written to streams in pieces of this size: the server copies each piece as it frames it.
constexpr std::size_t kPiece = 64 * 1024;

bool hostAllowed(const std::string& host, int port) {
  const std::string p = ":" + std::to_string(port);
  return host == "127.0.0.1" + p || host == "[::1]" + p || host == "localhost" + p;
}

// Compares without stopping at the first difference, so that the time taken tells nothing of the token.
bool sameSecret(const std::string& given, const std::string& token) {
  unsigned char differs = given.size() == token.size() ? 0 : 1;
  for (std::size_t i = 0; i < token.size(); ++i) {
    differs |= static_cast<unsigned char>(token[i] ^ (i < given.size() ? given[i] : 0));
  }
  return differs == 0;
}

// The value of the cookie `name` in a Cookie header ("a=1; b=2"), or nothing.
std::string cookieValue(const std::string& cookies, const std::string& name) {
  std::size_t at = 0;
  while (at < cookies.size()) {
    std::size_t end = cookies.find(';', at);
    if (end == std::string::npos) end = cookies.size();
    std::size_t start = cookies.find_first_not_of(' ', at);
    if (start < end && cookies.compare(start, name.size() + 1, name + "=") == 0) {
      return cookies.substr(start + name.size() + 1, end - start - name.size() - 1);
    }
    at = end + 1;
  }
  return {};
}

// When the connection a pool thread is about to serve was accepted, or nothing when it is to be closed
// unserved (the waiting line was full).
thread_local std::optional<Clock::time_point> servingAcceptedAt;

// The connections' threads: a fixed number, and a bounded line of accepted connections waiting for one.
class ConnectionPool : public httplib::TaskQueue {
 public:
  explicit ConnectionPool(int threads) {
    for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { work(); });
  }

  void enqueue(std::function<void()> fn) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (waiting_.size() < kMostWaiting) {
        waiting_.push_back({Clock::now(), std::move(fn)});
        ready_.notify_one();
        return;
      }
    }
    // Run here, on the accepting thread, only to close the connection (see BoundedServer).
    servingAcceptedAt.reset();
    fn();
  }

  void shutdown() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    ready_.notify_all();
    for (std::thread& t : threads_) t.join();
  }

 private:
  struct Waiting {
    Clock::time_point acceptedAt;
    std::function<void()> serve;
  };

  void work() {
    for (;;) {
      Waiting next;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
        if (waiting_.empty()) return;
        next = std::move(waiting_.front());
        waiting_.pop_front();
      }
      servingAcceptedAt = next.acceptedAt;
      next.serve();
    }
  }

  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Waiting> waiting_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

// The socket as the request's reader sees it: the head ends being readable when it runs past its bytes,
// its lines or its time, and the request then fails as if the client had gone.
class BoundedStream : public httplib::Stream {
 public:
  BoundedStream(httplib::Stream& socket, Clock::time_point deadline) : socket_(socket), deadline_(deadline) {}

  bool is_readable() const override { return socket_.is_readable(); }
  bool is_writable() const override { return socket_.is_writable(); }
  ssize_t read(char* ptr, size_t size) override {
    if (read_ >= kMostHeadBytes + kMostRequestBody || lines_ > kMostHeadLines || Clock::now() >= deadline_) return -1;
    size = std::min(size, kMostHeadBytes + kMostRequestBody - read_);
    ssize_t n = socket_.read(ptr, size);
    if (n > 0) {
      read_ += static_cast<std::size_t>(n);
      lines_ += static_cast<int>(std::count(ptr, ptr + n, '\n'));
    }
    return n;
  }
  ssize_t write(const char* ptr, size_t size) override { return socket_.write(ptr, size); }
  void get_remote_ip_and_port(std::string& ip, int& port) const override { socket_.get_remote_ip_and_port(ip, port); }
  void get_local_ip_and_port(std::string& ip, int& port) const override { socket_.get_local_ip_and_port(ip, port); }
  socket_t socket() const override { return socket_.socket(); }

 private:
  httplib::Stream& socket_;
  Clock::time_point deadline_;
  std::size_t read_ = 0;
  int lines_ = 0;
};

// One request per connection, read through a BoundedStream; a request for several ranges is answered
// whole (one range is honoured), so that a reply is never larger than what it asks for.
class BoundedServer : public httplib::Server {
 private:
  bool process_and_close_socket(socket_t sock) override {
    bool served = false;
    if (servingAcceptedAt) {
      httplib::detail::SocketStream socket(sock, read_timeout_sec_, read_timeout_usec_, write_timeout_sec_,
                                           write_timeout_usec_);
      BoundedStream bounded(socket, *servingAcceptedAt + kHeadTime);
      bool closed = false;
      served = process_request(bounded, true, closed, [](httplib::Request& req) {
        if (req.ranges.size() > 1) req.ranges.clear();
      });
    }
    httplib::detail::shutdown_socket(sock);
    httplib::detail::close_socket(sock);
    return served;
  }
};

// Serves `text` (shared, never copied per request) as the whole reply, or the one range asked for.
void serveShared(httplib::Response& res, std::shared_ptr<const std::string> text, const char* type) {
  res.set_header("Cache-Control", "no-store");
  const std::size_t size = text->size();
  if (size == 0) return res.set_content("", type);
  res.set_content_provider(size, type, [text = std::move(text)](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
    return sink.write(text->data() + offset, std::min(length, kPiece));
  });
}

}  // namespace

std::string WebServer::cookieName(int port) { return "scenario-token-" + std::to_string(port); }

struct WebServer::Servers {
  LiveChannel& channel;
  std::function<Page()> page;
  std::string token;
  int port = 0;
  std::vector<std::unique_ptr<httplib::Server>> listening;
  std::vector<std::thread> threads;

  std::unique_ptr<httplib::Server> make();
  bool admitted(const httplib::Request& req, httplib::Response& res);
  void stream(httplib::Response& res);
};

// The Host header, then the token: in the query, or in the cookie that the page's own requests carry.
bool WebServer::Servers::admitted(const httplib::Request& req, httplib::Response& res) {
  if (!hostAllowed(req.get_header_value("Host"), port)) {
    res.status = 403;
    res.set_content("this server answers only to its own address\n", "text/plain");
    return false;
  }
  if (req.has_param("token") && sameSecret(req.get_param_value("token"), token)) return true;
  if (sameSecret(cookieValue(req.get_header_value("Cookie"), cookieName(port)), token)) return true;
  res.status = 403;
  res.set_content("open the address that scenario-tool serve printed, with its token\n", "text/plain");
  return false;
}

std::unique_ptr<httplib::Server> WebServer::Servers::make() {
  auto server = std::make_unique<BoundedServer>();
  server->new_task_queue = [] { return new ConnectionPool(kThreads); };
  server->set_socket_options([](socket_t sock) { makeListeningSocketExclusive(static_cast<std::uintptr_t>(sock)); });
  server->set_payload_max_length(kMostRequestBody);
  server->set_read_timeout(kReadTimeoutSeconds, 0);
  server->set_write_timeout(kWriteTimeoutSeconds, 0);
  server->set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    return admitted(req, res) ? httplib::Server::HandlerResponse::Unhandled : httplib::Server::HandlerResponse::Handled;
  });
  server->Get("/", [this](const httplib::Request& req, httplib::Response& res) {
    // The page's own requests then carry the token without it in their address.
    if (req.has_param("token")) {
      res.set_header("Set-Cookie", cookieName(port) + "=" + token + "; Path=/; HttpOnly; SameSite=Strict");
    }
    serveShared(res, page(), "text/html; charset=utf-8");
  });
  server->Get("/data", [this](const httplib::Request&, httplib::Response& res) {
    LiveChannel::Message message = channel.latest();
    serveShared(res, message ? message : std::make_shared<const std::string>("null"), "application/json");
  });
  server->Get("/events", [this](const httplib::Request&, httplib::Response& res) { stream(res); });
  return server;
}

// Each open page holds one thread here, waiting for the next message.
void WebServer::Servers::stream(httplib::Response& res) {
  res.set_header("Cache-Control", "no-store");
  if (!channel.enterStream(kMostStreams)) {
    res.status = 503;
    res.set_content("too many pages open\n", "text/plain");
    return;
  }
  auto seen = std::make_shared<std::uint64_t>(0);
  res.set_chunked_content_provider(
      "text/event-stream",
      [this, seen](std::size_t, httplib::DataSink& sink) {
        LiveChannel::Message message = channel.next(*seen, kHeartbeat);
        if (channel.closed()) return false;
        if (!message) return sink.write(": waiting\n\n", 11);
        bool ok = sink.write("data: ", 6);
        for (std::size_t at = 0; ok && at < message->size(); at += kPiece) {
          ok = sink.write(message->data() + at, std::min(kPiece, message->size() - at));
        }
        return ok && sink.write("\n\n", 2);
      },
      [this](bool) { channel.leaveStream(); });
}

WebServer::WebServer(LiveChannel& channel, std::function<Page()> page, std::string token)
    : servers_(std::make_unique<Servers>(Servers{channel, std::move(page), std::move(token), 0, {}, {}})) {}

WebServer::~WebServer() { stop(); }

WebServer::Bound WebServer::bind(int port) {
  auto v4 = servers_->make();
  if (port == 0) {
    port = v4->bind_to_any_port("127.0.0.1");
    if (port <= 0) return {};
  } else if (!v4->bind_to_port("127.0.0.1", port)) {
    return {};
  }
  servers_->port = port;
  servers_->listening.push_back(std::move(v4));
  // A system without IPv6, or another program on ::1 at this port, leaves 127.0.0.1 alone.
  auto v6 = servers_->make();
  const bool ipv6 = v6->bind_to_port("::1", port);
  if (ipv6) servers_->listening.push_back(std::move(v6));
  return {port, ipv6};
}

void WebServer::start() {
  for (auto& server : servers_->listening) {
    httplib::Server* s = server.get();
    servers_->threads.emplace_back([s] { s->listen_after_bind(); });
    // stop() only reaches a server that is listening already.
    for (int i = 0; i < 1000 && !s->is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void WebServer::stop() {
  servers_->channel.close();
  for (auto& server : servers_->listening) server->stop();
  for (std::thread& thread : servers_->threads) thread.join();
  servers_->threads.clear();
}

}  // namespace pack
