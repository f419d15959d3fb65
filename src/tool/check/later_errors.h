// Every error in one run. The compiler stops at its first error; `check` sets the entry of that error
// aside (in memory, the author's files untouched) and compiles again, until the compile is clean, an
// error has no entry to set aside, or enough errors were found. Each later error names the entries set
// aside before it was found, since setting an entry aside can itself cause or hide an error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "compiler/compile.h"
#include "platform/platform.h"

namespace pack {

struct LaterError {
  RecordedError error;                // its line is the author's, as in the files on disk
  std::int32_t fatal = 0;             // the compile stopped; `error` may then be empty
  std::vector<std::string> setAside;  // "FILE:LINE" of each entry set aside before it was found
};

inline constexpr std::size_t kLaterErrorLimit = 20;

// `files` holds the sources in memory (they are left with the entries set aside); `first` is the error of
// the compile already made of them.
std::vector<LaterError> findLaterErrors(FileSystem& files, const CompileRequest& request, const RecordedError& first,
                                        std::size_t limit = kLaterErrorLimit);

// " (found with FILE:25, 26, OTHER:3 set aside)": each file named where its lines begin.
std::string setAsideNote(const std::vector<std::string>& setAside);

}  // namespace pack
