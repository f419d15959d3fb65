#include "tool/serve/web_server.h"

#include <httplib.h>

#include <thread>
#include <vector>

namespace pack {
namespace {

// More threads than streams, so that a page can still be fetched with every stream taken.
constexpr int kThreads = WebServer::kMostStreams + 16;
constexpr std::chrono::seconds kHeartbeat{10};  // a comment line: finds pages that went away
constexpr std::size_t kMostRequestBody = 4096;  // the server reads no bodies

bool hostAllowed(const std::string& host, int port) {
  const std::string p = ":" + std::to_string(port);
  return host == "127.0.0.1" + p || host == "[::1]" + p || host == "localhost" + p;
}

}  // namespace

struct WebServer::Servers {
  LiveChannel& channel;
  std::function<std::string()> page;
  int port = 0;
  std::vector<std::unique_ptr<httplib::Server>> listening;
  std::vector<std::thread> threads;

  std::unique_ptr<httplib::Server> make();
  void stream(httplib::Response& res);
};

std::unique_ptr<httplib::Server> WebServer::Servers::make() {
  auto server = std::make_unique<httplib::Server>();
  server->new_task_queue = [] { return new httplib::ThreadPool(kThreads); };
  server->set_payload_max_length(kMostRequestBody);
  server->set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    if (hostAllowed(req.get_header_value("Host"), port)) return httplib::Server::HandlerResponse::Unhandled;
    res.status = 403;
    res.set_content("this server answers only to its own address\n", "text/plain");
    return httplib::Server::HandlerResponse::Handled;
  });
  server->Get("/", [this](const httplib::Request&, httplib::Response& res) {
    res.set_header("Cache-Control", "no-store");
    res.set_content(page(), "text/html; charset=utf-8");
  });
  server->Get("/data", [this](const httplib::Request&, httplib::Response& res) {
    LiveChannel::Message message = channel.latest();
    res.set_header("Cache-Control", "no-store");
    res.set_content(message ? *message : std::string("null"), "application/json");
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
        std::string chunk = message ? "data: " + *message + "\n\n" : ": waiting\n\n";
        return sink.write(chunk.data(), chunk.size());
      },
      [this](bool) { channel.leaveStream(); });
}

WebServer::WebServer(LiveChannel& channel, std::function<std::string()> page)
    : servers_(std::make_unique<Servers>(Servers{channel, std::move(page), 0, {}, {}})) {}

WebServer::~WebServer() { stop(); }

int WebServer::bind(int port) {
  auto v4 = servers_->make();
  if (port == 0) {
    port = v4->bind_to_any_port("127.0.0.1");
    if (port <= 0) return 0;
  } else if (!v4->bind_to_port("127.0.0.1", port)) {
    return 0;
  }
  servers_->port = port;
  servers_->listening.push_back(std::move(v4));
  // A system without IPv6 still serves on 127.0.0.1.
  auto v6 = servers_->make();
  if (v6->bind_to_port("::1", port)) servers_->listening.push_back(std::move(v6));
  return port;
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
