#include "tool/serve/live_channel.h"

namespace pack {

void LiveChannel::publish(std::string message) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    latest_ = std::make_shared<const std::string>(std::move(message));
    ++version_;
  }
  changed_.notify_all();
}

LiveChannel::Message LiveChannel::next(std::uint64_t& seen, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return closed_ || version_ != seen; });
  if (closed_ || version_ == seen || !latest_) return nullptr;
  seen = version_;
  return latest_;
}

LiveChannel::Message LiveChannel::latest() {
  std::lock_guard<std::mutex> lock(mutex_);
  return latest_;
}

void LiveChannel::close() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
}

bool LiveChannel::closed() {
  std::lock_guard<std::mutex> lock(mutex_);
  return closed_;
}

bool LiveChannel::enterStream(int most) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (streams_ >= most) return false;
  ++streams_;
  return true;
}

void LiveChannel::leaveStream() {
  std::lock_guard<std::mutex> lock(mutex_);
  --streams_;
}

}  // namespace pack
