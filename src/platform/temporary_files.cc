#include "platform/temporary_files.h"

#include <array>
#include <atomic>
#include <charconv>
#include <cstring>

namespace pack {
namespace {

constexpr std::string_view kPrefix = ".scenario-";
constexpr std::string_view kSuffix = ".tmp";
constexpr std::size_t kRandomDigits = 16;

std::atomic<RandomSource> randomSource{nullptr};

// Enough for every file of the largest set written at once, several times over.
std::array<std::atomic<const char*>, 64> liveTemporaries{};
static_assert(std::atomic<const char*>::is_always_lock_free);

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

}  // namespace

std::string temporaryName(std::uint64_t processId, std::uint64_t random) {
  char digits[kRandomDigits];
  for (std::size_t i = 0; i < kRandomDigits; ++i) {
    digits[kRandomDigits - 1 - i] = "0123456789abcdef"[random & 0xF];
    random >>= 4;
  }
  return std::string(kPrefix) + std::to_string(processId) + "-" + std::string(digits, kRandomDigits) +
         std::string(kSuffix);
}

std::optional<std::uint64_t> temporaryOwner(std::string_view name) {
  if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return std::nullopt;
  name.remove_prefix(kPrefix.size());
  name.remove_suffix(kSuffix.size());
  std::size_t dash = name.find('-');
  if (dash == std::string_view::npos || dash == 0 || name.size() - dash - 1 != kRandomDigits) return std::nullopt;
  for (char c : name.substr(dash + 1)) {
    if (!isHexDigit(c)) return std::nullopt;
  }
  std::uint64_t owner = 0;
  auto [end, error] = std::from_chars(name.data(), name.data() + dash, owner);
  if (error != std::errc() || end != name.data() + dash) return std::nullopt;
  return owner;
}

std::uint64_t temporaryRandom() {
  RandomSource source = randomSource.load();
  return source != nullptr ? source() : systemRandom();
}

RandomSource setTemporaryRandomSource(RandomSource source) { return randomSource.exchange(source); }

LiveTemporary::LiveTemporary(std::string_view path) : path_(new char[path.size() + 1]) {
  std::memcpy(path_.get(), path.data(), path.size());
  path_[path.size()] = '\0';
  for (std::size_t i = 0; i < liveTemporaries.size(); ++i) {
    const char* empty = nullptr;
    if (liveTemporaries[i].compare_exchange_strong(empty, path_.get())) {
      slot_ = static_cast<int>(i);
      break;
    }
  }
}

LiveTemporary::~LiveTemporary() {
  if (slot_ < 0) return;
  const char* mine = path_.get();
  liveTemporaries[static_cast<std::size_t>(slot_)].compare_exchange_strong(mine, nullptr);
}

void removeLiveTemporaries(void (*remove)(const char* path)) {
  for (std::atomic<const char*>& slot : liveTemporaries) {
    if (const char* path = slot.exchange(nullptr)) remove(path);
  }
}

}  // namespace pack
