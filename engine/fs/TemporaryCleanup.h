// SPDX-License-Identifier: GPL-3.0-or-later
// The temporary files of the copies in progress, removed when the process is
// ended from outside. Each thread that copies has its own mark. The handler
// refuses new temporary files, waits briefly for those being created,
// removes every marked one, on POSIX forces the data copied so far to the
// disk, and leaves the ending of the process to the default action:
// - POSIX: SIGTERM, SIGINT or SIGHUP (TemporaryCleanup.cpp);
// - Windows: the console's Ctrl+C or Ctrl+Break, or the closing of its
//   window; the handler runs on a thread of its own
//   (TemporaryCleanupWindows.cpp).
#pragma once

#ifdef _WIN32
#include <string>
#endif

namespace trasvex {

class TemporaryCleanup {
 public:
  // Installs the handler; on POSIX for those of the three signals that are
  // not ignored.
  static void Install();
  // The calling thread is about to create its temporary file; false when
  // the process is ending, and then no file may be created. A true answer
  // is followed by EndCreation once the file, if made, is marked.
  static bool BeginCreation();
  static void EndCreation();
#ifdef _WIN32
  // |path|, as the API is given it, is the calling thread's temporary file
  // in progress.
  static void Mark(const std::wstring& path);
  // What the handler does before the process ends: refuses new temporary
  // files, waits briefly for those being created, and removes every marked
  // one (a file still open goes when its handle is closed).
  static void RemoveAll();
#else
  // |name| inside the directory |dirFd| is the calling thread's temporary
  // file in progress.
  static void Mark(int dirFd, const char* name);
  // A copy went into the directory |dirFd|: the handler forces the data of
  // its file system to the disk before the process ends.
  static void Copied(int dirFd);
  // The run is over and its data on the disk: the file systems noted by
  // Copied are let go.
  static void ForgetCopied();
#endif
  // The calling thread has none now.
  static void Unmark();
};

}  // namespace trasvex
