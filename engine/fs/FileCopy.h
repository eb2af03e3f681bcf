// SPDX-License-Identifier: GPL-3.0-or-later
// One copy in progress, handed from step to step of FileSystem::CopyFile.
// Everything one copy needs lives here and not in the backend, so that one
// backend instance may carry several copies, and several threads may move
// the data of one.
#pragma once

#include <cstdint>
#include <string>

namespace trasvex {

struct FileCopy {
  using Handle = std::intptr_t;
  static constexpr Handle kNoHandle = -1;

  // The source as it was when it was opened, in the backend's terms: POSIX
  // keeps seconds since the epoch with their nanoseconds and the permission
  // bits; Windows keeps the FILETIME of the last write and the attributes.
  struct Seen {
    std::int64_t size = 0;
    std::uint32_t mode = 0;
    std::int64_t writeTime = 0;
    long writeNanoseconds = 0;
    std::int64_t accessTime = 0;
    long accessNanoseconds = 0;
  };

  std::string source;
  std::string target;
  Handle input = kNoHandle;
  Handle output = kNoHandle;
  std::string temporaryPath;
  Seen seen;
  // The system's error number of the step that failed, 0 when it gave none.
  int error = 0;
};

}  // namespace trasvex
