// Threads that carry out a run's file-system requests side by side, each
// through its own instance of the backend. Tasks start in the order they
// were submitted, those submitted as urgent first; the thread that owns the
// pool learns that a task has ended through a flag the pool sets under its
// lock, which also makes everything the task wrote visible to it.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "fs/FileSystem.h"

namespace trasvex {

class WorkerPool {
 public:
  using Work = std::function<void(FileSystem&)>;

  // One thread for each instance.
  explicit WorkerPool(std::vector<std::unique_ptr<FileSystem>> instances);
  // Lets every task submitted end, then stops the threads.
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // Queues |work|; |ended|, which must outlive the task, becomes true once
  // it has run.
  void Submit(Work work, bool& ended, bool urgent);
  bool Ended(const bool& ended);
  void Wait(const bool& ended);

 private:
  struct Task {
    Work work;
    bool* ended;
  };

  void Serve(FileSystem& fileSystem);

  std::mutex mutex_;
  std::condition_variable taskQueued_;
  std::condition_variable taskEnded_;
  std::deque<Task> urgent_;
  std::deque<Task> queued_;
  bool stopping_ = false;
  std::vector<std::unique_ptr<FileSystem>> instances_;
  std::vector<std::thread> threads_;
};

}  // namespace trasvex
