#include "TemporaryCleanup.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>

namespace trasvex {

namespace {

// More threads than this copy at once only when a run has more workers than
// it ever gets; the temporary files of the others go unmarked.
constexpr int kMarks = 64;

// Read by the handler: the name and directory are written only while
// |marked| is clear.
struct Slot {
  volatile std::sig_atomic_t marked = 0;
  int directory = -1;
  char name[NAME_MAX + 1];
};
Slot slots[kMarks];
std::atomic<bool> taken[kMarks];

// The calling thread's mark, taken on first use and given back when the
// thread ends.
class OwnMark {
 public:
  ~OwnMark() {
    if (index_ < 0)
      return;
    slots[index_].marked = 0;
    taken[index_].store(false);
  }
  Slot* Get() {
    for (int i = 0; index_ < 0 && i < kMarks; ++i)
      if (!taken[i].exchange(true))
        index_ = i;
    return index_ < 0 ? nullptr : &slots[index_];
  }

 private:
  int index_ = -1;
};
thread_local OwnMark ownMark;

extern "C" void RemoveMarkedAndEnd(int signal) {
  for (const Slot& mark : slots)
    if (mark.marked)
      ::unlinkat(mark.directory, mark.name, 0);
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
  Slot* mark = ownMark.Get();
  if (!mark)
    return;
  mark->marked = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  mark->directory = dirFd;
  std::strncpy(mark->name, name, NAME_MAX);
  mark->name[NAME_MAX] = '\0';
  std::atomic_signal_fence(std::memory_order_seq_cst);
  mark->marked = 1;
}

void TemporaryCleanup::Unmark() {
  if (Slot* mark = ownMark.Get())
    mark->marked = 0;
}

}  // namespace trasvex
