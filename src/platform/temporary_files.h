// The temporary files of the write path: their names, which no other run can guess and a later run can
// recognise, and the list of those open, which a signal handler removes before the process ends.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pack {

// How often a file is tried under a fresh name when something already stands at the name drawn.
constexpr int kTemporaryNameAttempts = 16;

// ".scenario-PID-XXXXXXXXXXXXXXXX.tmp" (16 hex digits drawn at random). Its length does not depend on the
// target's name, so a target whose name is as long as a file name may be gets a temporary too.
std::string temporaryName(std::uint64_t processId, std::uint64_t random);

// The process that named a temporary file so; nothing when the name is not a temporary's.
std::optional<std::uint64_t> temporaryOwner(std::string_view name);

// The random part of the next temporary name: from the system's random source, or from the one a test set.
std::uint64_t temporaryRandom();
using RandomSource = std::uint64_t (*)();
// Replaces the random source (nullptr: the system's again); returns the one it replaces.
RandomSource setTemporaryRandomSource(RandomSource source);
// The system's own random numbers; each platform defines it.
std::uint64_t systemRandom();

// A temporary file's path, listed while the file may still be on disk so that removeLiveTemporaries finds
// it. The owner removes the file before dropping this.
class LiveTemporary {
 public:
  explicit LiveTemporary(std::string_view path);
  ~LiveTemporary();
  LiveTemporary(const LiveTemporary&) = delete;
  LiveTemporary& operator=(const LiveTemporary&) = delete;

  const char* path() const { return path_.get(); }

 private:
  std::unique_ptr<char[]> path_;
  int slot_ = -1;  // -1: the list was full; the file is then left to a later run's sweep
};

// Calls `remove` on every listed temporary and empties the list. Only lock-free atomics are used, so a
// signal handler may call it (with an async-signal-safe `remove`).
void removeLiveTemporaries(void (*remove)(const char* path));

}  // namespace pack
