// The temporary files of the copies in progress, removed when SIGTERM,
// SIGINT or SIGHUP ends the process: the handler removes them, then lets
// the signal end the process as it would have without the handler. Each
// thread that copies has its own mark.
#pragma once

namespace trasvex {

class TemporaryCleanup {
 public:
  // Installs the handler for those of the three signals that are not
  // ignored.
  static void Install();
  // |name| inside the directory |dirFd| is the calling thread's temporary
  // file in progress.
  static void Mark(int dirFd, const char* name);
  // The calling thread has none now.
  static void Unmark();
};

}  // namespace trasvex
