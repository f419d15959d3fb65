// A run-time failure inside the compiler: a read past the end of a source, a number that does not fit its
// target, an arithmetic overflow. The source reader turns every one of them into error code 25.
#pragma once

#include <stdexcept>
#include <string>

namespace pack {

class RuntimeFailure : public std::runtime_error {
 public:
  explicit RuntimeFailure(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace pack
