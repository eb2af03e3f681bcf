// SPDX-License-Identifier: GPL-3.0-or-later
// One mapping of the list carried out ahead of its turn: its walk runs on a
// thread of its own, through an instance of the file system of its own, and
// what it shows is kept (KeptShow) until the run comes to its line and
// follows it.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "run/KeptShow.h"
#include "run/RunWatch.h"
#include "run/SharedOptions.h"
#include "fs/FileSystem.h"

namespace trasvex {

class AheadWalk {
 public:
  struct Mapping {
    std::vector<std::string> extensions;
    std::string source;
    std::string destination;
  };

  // Starts the walk of |mapping| through |fileSystem|; it stops when
  // |leader| stops, and reads the options |options| holds. std::system_error
  // when the system gives no thread.
  AheadWalk(std::unique_ptr<FileSystem> fileSystem, const RunWatch& leader,
            const SharedOptions& options, Mapping mapping);
  // Drops what is kept and waits for the walk to end.
  ~AheadWalk();
  AheadWalk(const AheadWalk&) = delete;
  AheadWalk& operator=(const AheadWalk&) = delete;

  // Passes on to |to| what the walk kept, then what it shows as it comes,
  // until it ends; |pump| runs whenever the walk has nothing new to show.
  void Follow(RunShow& to, const std::function<void()>& pump);
  // True once the walk has ended; whatever it keeps is still to follow.
  bool Ended() const { return ended_; }

 private:
  void Walk();

  std::unique_ptr<FileSystem> fs_;
  RunWatch watch_;
  KeptShow show_;
  const Mapping mapping_;
  std::atomic<bool> ended_{false};
  std::thread thread_;
};

}  // namespace trasvex
