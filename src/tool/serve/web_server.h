// The web server of `serve`, on the loopback addresses only: the page, its data and its event stream,
// nothing else. Requests whose Host is not the server's own address and port are refused, so that a page
// from elsewhere cannot reach the sources through a name that resolves to 127.0.0.1 (DNS rebinding); so
// are requests without the server's secret token (in the query, or in the cookie the page gets on its first
// load), since a loopback port is open to every user of the machine.
//
// Every request is bounded, whatever a local process sends: its head (request line and headers) in bytes,
// lines and time, one range or none, writes that give up when the client does not read. Connections wait
// for a thread in a bounded queue and are closed beyond it; open pages' streams are capped, so that threads
// are always left for fetching a page, and a page that went away is noticed within a second or two.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "tool/serve/live_channel.h"

namespace pack {

class WebServer {
 public:
  using Page = std::shared_ptr<const std::string>;

  // `page` gives the page's HTML at each request; `channel` the messages of the event stream. `token` is
  // the secret that every request must carry.
  WebServer(LiveChannel& channel, std::function<Page()> page, std::string token);
  ~WebServer();

  struct Bound {
    int port = 0;        // 0: 127.0.0.1 could not be bound
    bool ipv6 = false;   // whether ::1 is served on the same port too
  };
  // Binds 127.0.0.1 on `port` (0: one the system picks) and ::1 on the same port where it can.
  Bound bind(int port);
  // Serves on threads of its own until stop().
  void start();
  // Ends every stream, stops listening and waits for the threads.
  void stop();

  static constexpr int kMostStreams = 48;
  // Threads beyond the streams': the page, its data, and connections still sending their request.
  static constexpr int kFetchThreads = 32;
  // The name of the cookie that carries the token (the port is added: cookies do not tell ports apart).
  static std::string cookieName(int port);

 private:
  struct Servers;
  std::unique_ptr<Servers> servers_;
};

}  // namespace pack
