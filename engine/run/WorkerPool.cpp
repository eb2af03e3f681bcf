// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/WorkerPool.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace trasvex {

namespace {

constexpr int kMostWorkers = 32;
constexpr int kRemoteWorkers = 16;
constexpr unsigned kMostLocalWorkers = 4;
// How long a wait with something to do meanwhile sleeps at a time.
constexpr std::chrono::milliseconds kIdleSlice{20};
// The workers of every pool there is.
std::atomic<int> threadsInAll{0};

}  // namespace

std::optional<int> WorkerPool::Asked() {
  const char* jobs = std::getenv("TRASVEX_JOBS");
  if (!jobs)
    return std::nullopt;
  const char* end = jobs + std::strlen(jobs);
  int count = 0;
  if (std::from_chars(jobs, end, count).ptr != end || count < 1)
    return std::nullopt;  // not a number from 1 up: the default
  return std::min(count, kMostWorkers);
}

int WorkerPool::Unasked(bool remote) {
  return remote ? kRemoteWorkers
                : int(std::clamp(std::thread::hardware_concurrency(), 1u, kMostLocalWorkers));
}

WorkerPool::WorkerPool(FileSystem& fileSystem, int workers)
    : fileSystem_(fileSystem), mostWorkers_(std::size_t(std::max(workers, 1))) {
  threads_.reserve(mostWorkers_);
  instances_.reserve(mostWorkers_);
  if (!AddWorker())
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
}

bool WorkerPool::AddWorker() {
  if (threadsInAll.fetch_add(1) >= kMostThreadsInAll && !threads_.empty()) {
    --threadsInAll;
    return false;
  }
  instances_.push_back(fileSystem_.ForWorker());
  try {
    threads_.emplace_back([this, &instance = *instances_.back()] { Serve(instance); });
  } catch (const std::system_error&) {
    instances_.pop_back();
    --threadsInAll;
    return false;
  }
  return true;
}

void WorkerPool::GrowFor(std::unique_lock<std::mutex>& lock) {
  ++waiting_;
  const int free = int(threads_.size()) - busy_;
  const bool grow = waiting_ > free && threads_.size() < mostWorkers_;
  lock.unlock();
  taskQueued_.notify_one();
  if (grow)
    AddWorker();  // without it, the workers there are take the task
}

WorkerPool::~WorkerPool() { Stop(); }

void WorkerPool::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  taskQueued_.notify_all();
  for (std::thread& thread : threads_)
    thread.join();
  threadsInAll -= int(threads_.size());
  threads_.clear();
}

void WorkerPool::Submit(Work work, bool& ended) {
  std::unique_lock lock(mutex_);
  queued_.push_back({std::move(work), &ended});
  GrowFor(lock);
}

void WorkerPool::SubmitUrgent(Work work, bool& ended, long group) {
  std::unique_lock lock(mutex_);
  // The groups that come now are the last ones.
  auto found = std::find_if(groups_.rbegin(), groups_.rend(),
                            [group](const Group& each) { return each.id == group; });
  Group& into = found != groups_.rend() ? *found : groups_.emplace_back(Group{group, {}});
  into.tasks.push_back({std::move(work), &ended});
  GrowFor(lock);
}

bool WorkerPool::Ended(const bool& ended) {
  std::lock_guard lock(mutex_);
  return ended;
}

void WorkerPool::Wait(const bool& ended, FileSystem& helper,
                      const std::function<void()>& idle) {
  std::unique_lock lock(mutex_);
  while (!ended) {
    if (queued_.empty()) {
      if (!idle) {
        taskEnded_.wait(lock);
        continue;
      }
      taskEnded_.wait_for(lock, kIdleSlice);
    } else {
      Task task = std::move(queued_.front());
      queued_.pop_front();
      --waiting_;
      Run(task, helper, lock);
    }
    if (idle && !ended) {
      lock.unlock();
      idle();
      lock.lock();
    }
  }
}

void WorkerPool::Run(Task& task, FileSystem& fileSystem, std::unique_lock<std::mutex>& lock) {
  lock.unlock();
  task.work(fileSystem);
  task.work = nullptr;  // what it holds goes before the owner hears of the end
  lock.lock();
  *task.ended = true;
}

bool WorkerPool::Take(Task& task, GroupList::iterator& group) {
  group = groups_.end();
  for (auto each = groups_.begin(); queued_.empty() && each != groups_.end(); ++each) {
    if (each->tasks.empty())
      continue;
    if (group == groups_.end() || each->busy < group->busy)
      group = each;
    if (group->busy == 0)
      break;
  }
  std::deque<Task>& from = group != groups_.end() ? group->tasks : queued_;
  if (from.empty())
    return false;
  task = std::move(from.front());
  from.pop_front();
  --waiting_;
  if (group != groups_.end())
    ++group->busy;
  return true;
}

void WorkerPool::Serve(FileSystem& fileSystem) {
  std::unique_lock lock(mutex_);
  for (;;) {
    Task task;
    GroupList::iterator group;
    taskQueued_.wait(lock, [&] { return Take(task, group) || stopping_; });
    if (!task.work)
      return;  // stopping, and nothing is left to do
    ++busy_;
    Run(task, fileSystem, lock);
    --busy_;  // free before the owner hears of the end
    if (group != groups_.end() && --group->busy == 0 && group->tasks.empty())
      groups_.erase(group);
    taskEnded_.notify_all();
  }
}

}  // namespace trasvex
