// SPDX-License-Identifier: GPL-3.0-or-later
#include "fs/TemporaryCleanup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <mutex>

namespace trasvex {

namespace {

// More threads than this copy at once only when a run has more workers than
// it ever gets; the temporary files of the others go unmarked.
constexpr int kMarks = 64;
// How long the handler waits for the creations under way, in milliseconds.
constexpr int kMostWait = 2000;

// Read by the handler, on whichever thread it runs: the name and directory
// are written only while |marked| is clear.
struct Slot {
  std::atomic<bool> marked{false};
  std::atomic<bool> creating{false};
  int directory = -1;
  char name[NAME_MAX + 1];
};
Slot slots[kMarks];
std::atomic<bool> taken[kMarks];
std::atomic<bool> ending{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the handler needs lock-free flags");

// The calling thread's mark, taken on first use and given back when the
// thread ends. |ownIndex| is plain data, so the handler may read it.
thread_local int ownIndex = -1;

class OwnMark {
 public:
  ~OwnMark() {
    if (ownIndex < 0)
      return;
    slots[ownIndex].marked = false;
    slots[ownIndex].creating = false;
    taken[ownIndex].store(false);
    ownIndex = -1;
  }
  Slot* Get() {
    for (int i = 0; ownIndex < 0 && i < kMarks; ++i)
      if (!taken[i].exchange(true))
        ownIndex = i;
    return ownIndex < 0 ? nullptr : &slots[ownIndex];
  }
};
thread_local OwnMark ownMark;

// The file systems copied into, each with a descriptor of a directory on
// it; an entry is written before |volumeCount| counts it.
constexpr int kVolumes = 16;
struct Volume {
  dev_t device;
  int fd;
};
Volume volumes[kVolumes];
std::atomic<int> volumeCount{0};
std::mutex volumeMutex;  // for the writers; the handler only reads
// The directory each thread noted last, of which generation of the list:
// the copies into one folder look its file system up once.
std::atomic<unsigned> volumeGeneration{0};
thread_local int lastCopiedInto = -1;
thread_local unsigned lastGeneration = 0;

bool Noted(dev_t device) {
  const int count = volumeCount;
  for (int i = 0; i < count; ++i)
    if (volumes[i].device == device)
      return true;
  return false;
}

void SyncCopied() {
  const int count = volumeCount;
#if defined(__linux__)
  for (int i = 0; i < count; ++i)
    ::syncfs(volumes[i].fd);
#else
  if (count > 0)
    ::sync();
#endif
}

// True while another thread is between BeginCreation and EndCreation.
bool OthersCreating() {
  for (int i = 0; i < kMarks; ++i)
    if (i != ownIndex && slots[i].creating)
      return true;
  return false;
}

extern "C" void RemoveMarkedAndEnd(int signal) {
  ending = true;
  const struct timespec millisecond = {0, 1000000};
  for (int waited = 0; waited < kMostWait && OthersCreating(); ++waited)
    ::nanosleep(&millisecond, nullptr);
  for (const Slot& mark : slots)
    if (mark.marked)
      ::unlinkat(mark.directory, mark.name, 0);
  SyncCopied();
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

bool TemporaryCleanup::BeginCreation() {
  Slot* mark = ownMark.Get();
  if (!mark)
    return !ending;
  // Announced before |ending| is read: the handler, which sets |ending|
  // before it reads the announcements, either sees this one and waits for
  // it, or this thread sees |ending|.
  mark->creating = true;
  if (!ending)
    return true;
  mark->creating = false;
  return false;
}

void TemporaryCleanup::EndCreation() {
  if (ownIndex >= 0)
    slots[ownIndex].creating = false;
}

void TemporaryCleanup::Mark(int dirFd, const char* name) {
  Slot* mark = ownMark.Get();
  if (!mark)
    return;
  mark->marked = false;
  mark->directory = dirFd;
  std::strncpy(mark->name, name, NAME_MAX);
  mark->name[NAME_MAX] = '\0';
  mark->marked = true;
}

void TemporaryCleanup::Copied(int dirFd) {
  const unsigned generation = volumeGeneration;
  if (dirFd == lastCopiedInto && generation == lastGeneration)
    return;
  lastCopiedInto = dirFd;
  lastGeneration = generation;
  struct stat st;
  if (::fstat(dirFd, &st) != 0 || Noted(st.st_dev))
    return;
  std::lock_guard lock(volumeMutex);
  const int count = volumeCount;
  if (count == kVolumes || Noted(st.st_dev))
    return;
  volumes[count].device = st.st_dev;
  volumes[count].fd = ::fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
  if (volumes[count].fd != -1)
    volumeCount = count + 1;
}

void TemporaryCleanup::ForgetCopied() {
  std::lock_guard lock(volumeMutex);
  const int count = volumeCount.exchange(0);
  ++volumeGeneration;
  for (int i = 0; i < count; ++i)
    ::close(volumes[i].fd);
}

void TemporaryCleanup::Unmark() {
  if (Slot* mark = ownMark.Get())
    mark->marked = false;
}

}  // namespace trasvex
