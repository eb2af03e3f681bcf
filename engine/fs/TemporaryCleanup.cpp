#include "TemporaryCleanup.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>

namespace trasvex {

namespace {

// Read by the handler: written only while |marked| is clear.
volatile std::sig_atomic_t marked = 0;
int markedDirectory = -1;
char markedName[NAME_MAX + 1];

extern "C" void RemoveMarkedAndEnd(int signal) {
  if (marked)
    ::unlinkat(markedDirectory, markedName, 0);
  // The action was reset to the default on entry: raised again, the signal
  // ends the process once this handler returns.
  ::raise(signal);
}

}  // namespace

void TemporaryCleanup::Install() {
  struct sigaction action {};
  action.sa_handler = RemoveMarkedAndEnd;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  // A signal the process was started with ignored (SIGHUP under nohup,
  // SIGINT in a background job) stays ignored.
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    struct sigaction before {};
    if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
      ::sigaction(signal, &action, nullptr);
  }
}

void TemporaryCleanup::Mark(int dirFd, const char* name) {
  marked = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  markedDirectory = dirFd;
  std::strncpy(markedName, name, NAME_MAX);
  markedName[NAME_MAX] = '\0';
  std::atomic_signal_fence(std::memory_order_seq_cst);
  marked = 1;
}

void TemporaryCleanup::Unmark() { marked = 0; }

}  // namespace trasvex
