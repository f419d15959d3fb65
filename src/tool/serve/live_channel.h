// What the server hands to every open page: the latest message, and a wait for the next one. The
// compile thread publishes; each page's event stream waits on its own thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace pack {

class LiveChannel {
 public:
  using Message = std::shared_ptr<const std::string>;

  void publish(std::string message);
  // The newest message when it is newer than `seen` (which is then brought up to it); waits at most
  // `timeout` for one. Null after the timeout, or at once when the channel is closed.
  Message next(std::uint64_t& seen, std::chrono::milliseconds timeout);
  Message latest();
  // Wakes every waiting stream for good: the server is stopping.
  void close();
  bool closed();

  // Open streams are counted so that too many cannot take every thread of the server.
  bool enterStream(int most);
  void leaveStream();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  Message latest_;
  std::uint64_t version_ = 0;
  bool closed_ = false;
  int streams_ = 0;
};

}  // namespace pack
