// The web server of `serve`, on the loopback addresses only: the page, its data and its event stream,
// nothing else. Requests whose Host is not the server's own address and port are refused, so that a page
// from elsewhere cannot reach the sources through a name that resolves to 127.0.0.1 (DNS rebinding).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "tool/serve/live_channel.h"

namespace pack {

class WebServer {
 public:
  // `page` gives the page's HTML at each request; `channel` the messages of the event stream.
  WebServer(LiveChannel& channel, std::function<std::string()> page);
  ~WebServer();

  // Binds 127.0.0.1 on `port` (0: one the system picks) and ::1 on the same port where the system has
  // it. Returns the port, or 0 when 127.0.0.1 could not be bound.
  int bind(int port);
  // Serves on threads of its own until stop().
  void start();
  // Ends every stream, stops listening and waits for the threads.
  void stop();

  static constexpr int kMostStreams = 48;

 private:
  struct Servers;
  std::unique_ptr<Servers> servers_;
};

}  // namespace pack
