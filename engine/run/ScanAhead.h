// SPDX-License-Identifier: GPL-3.0-or-later
// Scans of folders that a walk is about to reach, started on the workers
// while the walk deals with what comes before them. The walk takes a scan's
// entries from here when it gets there, or scans the folder itself when no
// scan of it was started. A few scans wait at once, so that the entries
// kept stay few.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "run/RunQueue.h"
#include "fs/SearchEntry.h"

namespace trasvex {

class ScanAhead {
 public:
  explicit ScanAhead(RunQueue& queue) : queue_(queue) {}
  // Waits for the scans that were not taken.
  ~ScanAhead();
  ScanAhead(const ScanAhead&) = delete;
  ScanAhead& operator=(const ScanAhead&) = delete;

  // True while another scan may be started.
  bool HasRoom() const;
  void Start(const std::string& pattern, unsigned attributeSet);
  // FileSystem::Scan, answered by the scan started ahead when there is one.
  bool Scan(FileSystem& fileSystem, const std::string& pattern, unsigned attributeSet,
            std::vector<SearchEntry>& entries);

 private:
  struct Pending {
    std::vector<SearchEntry> entries;
    bool complete = true;
    bool ended = false;
  };
  using Key = std::pair<std::string, unsigned>;

  RunQueue& queue_;
  std::map<Key, std::shared_ptr<Pending>> pending_;
};

}  // namespace trasvex
