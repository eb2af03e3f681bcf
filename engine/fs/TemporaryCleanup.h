// The temporary files of the copies in progress, removed when SIGTERM,
// SIGINT or SIGHUP ends the process: the handler stops new ones from being
// made, waits for those being made, removes every one of them, then lets the
// signal end the process as it would have without the handler. Each thread
// that copies has its own mark.
#pragma once

namespace trasvex {

class TemporaryCleanup {
 public:
  // Installs the handler for those of the three signals that are not
  // ignored.
  static void Install();
  // |name| inside the directory |dirFd| is about to become the calling
  // thread's temporary file, to be created before Created() is called.
  // False when a signal is ending the process: nothing may be created then.
  static bool Mark(int dirFd, const char* name);
  // The creation that Mark announced has been made, or has failed.
  static void Created();
  // The calling thread has no temporary file now.
  static void Unmark();
};

}  // namespace trasvex
