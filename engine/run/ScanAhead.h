// SPDX-License-Identifier: GPL-3.0-or-later
// Scans of folders that a walk is about to reach, and the creations of
// their destination folders, started on the workers while the walk deals
// with what comes before them. The walk takes a scan's entries (or a
// creation's outcome) from here when it gets there, or does the work itself
// when none was started. A few wait at once, so that the entries kept stay
// few.
#pragma once

#include <functional>
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
  // Starts making the folder |path| like |model|: its parent must exist.
  void StartCreation(const std::string& path, const std::string& model);
  // FileSystem::CreateDirectory, answered by the creation started ahead
  // when there is one.
  bool CreateDirectory(FileSystem& fileSystem, const std::string& path,
                       const std::string& model);

 private:
  struct Pending {
    std::vector<SearchEntry> entries;
    bool complete = true;  // or made, for a creation
    bool ended = false;
  };
  // A scan's pattern and attributes, or a creation's path and kCreation.
  using Key = std::pair<std::string, unsigned>;
  static constexpr unsigned kCreation = ~0u;

  void Start(Key key, std::function<bool(FileSystem&, Pending&)> work);
  // The work started ahead under |key|, once it has ended; null when none
  // was started.
  std::shared_ptr<Pending> Take(const Key& key);

  RunQueue& queue_;
  std::map<Key, std::shared_ptr<Pending>> pending_;
};

}  // namespace trasvex
