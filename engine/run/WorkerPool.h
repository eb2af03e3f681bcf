// SPDX-License-Identifier: GPL-3.0-or-later
// Threads that carry out a run's file-system requests side by side, each
// through its own instance of the backend. The thread that owns the pool
// learns that a task has ended through a flag the pool sets under its
// lock, which also makes everything the task wrote visible to it.
//
// Plain tasks (look-ups and scans, which the walk waits for) start first,
// in the order they came. Urgent tasks (copies, which hold memory until
// they end) come in groups, such as the copies of one scan into one folder:
// a free worker takes the oldest task of the group the fewest workers are
// busy with, the oldest first among equals, so that the groups go on side
// by side and a group has a worker of its own before it has two.
//
// The pool starts with one worker and adds one whenever more tasks wait
// than workers are free, up to the number asked, so a small job never pays
// for workers it has no use for. The pools of a process together grow to
// at most kMostThreadsInAll workers: the walks of a run that go side by
// side share them, the first to ask first. A pool always has its first
// worker, and grows later when other pools have ended.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "fs/FileSystem.h"

namespace trasvex {

class WorkerPool {
 public:
  using Work = std::function<void(FileSystem&)>;

  // How many workers a mapping gets: as many as TRASVEX_JOBS asks (at most
  // 32) when it is a number from 1 up; else, on a network file system,
  // where each request waits for a round trip, 16 to wait side by side,
  // and on a local one one for each processor, at most 4.
  static std::optional<int> Asked();
  static int Unasked(bool remote);
  static constexpr int kMostThreadsInAll = 128;

  // Up to |workers| threads, each with its own instance of |fileSystem|
  // (FileSystem::ForWorker, which must not answer null), made on the
  // thread that owns the pool as they are needed; |fileSystem| must outlive
  // the pool. std::system_error when the system gives not even the first.
  WorkerPool(FileSystem& fileSystem, int workers);
  // Lets every task submitted end, then stops the threads.
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // Queues |work|; |ended|, which must outlive the task, becomes true once
  // it has run.
  void Submit(Work work, bool& ended);
  void SubmitUrgent(Work work, bool& ended, long group);
  bool Ended(const bool& ended);
  // Waits until |ended| is set, meanwhile running tasks that are not urgent
  // on this thread through |helper|, which no worker uses, and calling
  // |idle| (when given) between them and every few hundredths of a second.
  void Wait(const bool& ended, FileSystem& helper, const std::function<void()>& idle);

 private:
  struct Task {
    Work work;
    bool* ended;
  };
  struct Group {
    long id;
    std::deque<Task> tasks;
    int busy = 0;  // workers running one of its tasks
  };
  using GroupList = std::list<Group>;

  void Serve(FileSystem& fileSystem);
  // Starts one more worker, the first even beyond the bound of all the
  // pools; false when the system or that bound gives no thread.
  bool AddWorker();
  // Adds a worker when a task has come that no free worker will take.
  void GrowFor(std::unique_lock<std::mutex>& lock);
  // Lets every task submitted end, then stops the threads.
  void Stop();
  // Runs |task| without the lock, which |lock| holds before and after.
  static void Run(Task& task, FileSystem& fileSystem, std::unique_lock<std::mutex>& lock);
  // The next task for a free worker and the group it comes from (end()
  // for one that is not urgent); false when there is none.
  bool Take(Task& task, GroupList::iterator& group);

  std::mutex mutex_;
  std::condition_variable taskQueued_;
  std::condition_variable taskEnded_;
  GroupList groups_;  // urgent tasks, by the order of their groups' first
  std::deque<Task> queued_;
  bool stopping_ = false;
  int waiting_ = 0;  // tasks not yet taken
  int busy_ = 0;     // workers running a task
  FileSystem& fileSystem_;
  const std::size_t mostWorkers_;
  std::vector<std::unique_ptr<FileSystem>> instances_;
  std::vector<std::thread> threads_;
};

}  // namespace trasvex
