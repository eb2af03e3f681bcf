#include "WorkerPool.h"

namespace trasvex {

WorkerPool::WorkerPool(std::vector<std::unique_ptr<FileSystem>> instances)
    : instances_(std::move(instances)) {
  threads_.reserve(instances_.size());
  for (const std::unique_ptr<FileSystem>& instance : instances_)
    threads_.emplace_back([this, &fileSystem = *instance] { Serve(fileSystem); });
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  taskQueued_.notify_all();
  for (std::thread& thread : threads_)
    thread.join();
}

void WorkerPool::Submit(Work work, bool& ended, bool urgent) {
  {
    std::lock_guard lock(mutex_);
    (urgent ? urgent_ : queued_).push_back({std::move(work), &ended});
  }
  taskQueued_.notify_one();
}

bool WorkerPool::Ended(const bool& ended) {
  std::lock_guard lock(mutex_);
  return ended;
}

void WorkerPool::Wait(const bool& ended) {
  std::unique_lock lock(mutex_);
  taskEnded_.wait(lock, [&] { return ended; });
}

void WorkerPool::Serve(FileSystem& fileSystem) {
  std::unique_lock lock(mutex_);
  for (;;) {
    taskQueued_.wait(lock, [this] { return stopping_ || !urgent_.empty() || !queued_.empty(); });
    std::deque<Task>& from = urgent_.empty() ? queued_ : urgent_;
    if (from.empty())
      return;  // stopping, and nothing is left to do
    Task task = std::move(from.front());
    from.pop_front();
    lock.unlock();
    task.work(fileSystem);
    task.work = nullptr;  // what it holds goes before the owner hears of the end
    lock.lock();
    *task.ended = true;
    taskEnded_.notify_all();
  }
}

}  // namespace trasvex
