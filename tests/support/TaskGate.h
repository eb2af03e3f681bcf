// SPDX-License-Identifier: GPL-3.0-or-later
// A gate that a pool's tasks wait at until the test opens it, and a record
// of what started and ended, in order: a pool is tested by holding it back.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "run/WorkerPool.h"

namespace trasvex::test {

class TaskGate {
 public:
  using Names = std::vector<std::string>;

  // A task that notes its start, waits for the gate when |held|, and notes
  // its end.
  WorkerPool::Work Task(const std::string& name, bool held = false) {
    return [this, name, held](FileSystem&) {
      std::unique_lock lock(mutex_);
      log_.push_back("start " + name);
      changed_.notify_all();
      changed_.wait(lock, [&] { return open_ || !held; });
      log_.push_back("end " + name);
      changed_.notify_all();
    };
  }
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  // Waits (at most |seconds|) until |entry| is in the log; the log then.
  Names AwaitEntry(const std::string& entry, int seconds = 10) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(seconds), [&] {
      return std::find(log_.begin(), log_.end(), entry) != log_.end();
    });
    return log_;
  }
  Names Log() {
    std::lock_guard lock(mutex_);
    return log_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
  Names log_;
};

}  // namespace trasvex::test
