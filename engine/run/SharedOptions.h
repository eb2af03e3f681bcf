// SPDX-License-Identifier: GPL-3.0-or-later
// The run's options as its host last gave them, for the walks that run
// ahead of their turn on threads of their own and cannot ask the host.
#pragma once

#include <mutex>

#include "run/RunHost.h"

namespace trasvex {

class SharedOptions {
 public:
  RunOptions Get() const {
    std::lock_guard lock(mutex_);
    return options_;
  }
  void Set(const RunOptions& options) {
    std::lock_guard lock(mutex_);
    options_ = options;
  }

 private:
  mutable std::mutex mutex_;
  RunOptions options_;
};

}  // namespace trasvex
