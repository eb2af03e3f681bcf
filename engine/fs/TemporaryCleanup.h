// The temporary file of the copy in progress, removed when SIGTERM, SIGINT
// or SIGHUP ends the process: the handler removes it, then lets the signal
// end the process as it would have without the handler.
#pragma once

namespace trasvex {

class TemporaryCleanup {
 public:
  // Installs the handler for those of the three signals that are not
  // ignored.
  static void Install();
  // |name| inside the directory |dirFd| is the temporary file in progress.
  static void Mark(int dirFd, const char* name);
  // There is none now.
  static void Unmark();
};

}  // namespace trasvex
