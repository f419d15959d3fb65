// The fatal stop of the compile (" Errore n. " and the code). The driver throws it; only the program's
// outermost layer shows the message and ends the process.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace pack {

class FatalError : public std::runtime_error {
 public:
  FatalError(std::int32_t code, const std::string& message) : std::runtime_error(message), code_(code) {}
  std::int32_t code() const { return code_; }

 private:
  std::int32_t code_;
};

}  // namespace pack
