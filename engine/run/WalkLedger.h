// SPDX-License-Identifier: GPL-3.0-or-later
// The bookkeeping of one mapping's walk. The files of each scan go to the
// queue in batches whose targets a worker looks up; the walk examines each
// file on its own thread, in walk order; the copies it picks go to the
// workers a few at a time (CopyGroups) and are counted in the order they
// started. Its rules give what a walk with one worker shows:
//   - a file is examined after the look-up of its target;
//   - copies are counted in the order they started;
//   - what a step shows (a failure, a row) comes after every copy started
//     before it has been counted;
//   - a scan of a folder, or a look-up in it, comes after the copies into
//     it that started before.
// Every file is settled once, whichever way its examination ends.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "run/RunQueue.h"
#include "run/UnsettledFolders.h"
#include "fs/FileSystem.h"

namespace trasvex {

class WalkLedger {
 public:
  // One file of a scan, with what the look-up of its target found and what
  // its copy did.
  struct File {
    SearchEntry entry;
    std::string target;
    DosDateTime age = kNoFile;
    std::int64_t instant = 0;
    std::int64_t size = 0;
    int error = 0;  // why the look-up failed
    FileSystem::CopyResult copy;
  };
  // Files of one scan bound for one folder, in scan order.
  struct Batch {
    long scan;                // which scan of the mapping found them
    std::string directory;    // the folder the scan read
    std::string destination;  // the folder they go to
    bool emptyDestination;    // which holds none of them: no look-ups
    std::vector<File> files;
    std::size_t unsettled = 0;
  };
  // What a step shows, run once the copies started before it have been
  // counted; empty when it shows nothing.
  using Show = std::function<void()>;
  // What the walk makes of a file once its target has been looked up.
  struct Decision {
    bool copy = false;
    Show show;
  };
  // The walk's part, each on the walk's thread but |copy|.
  struct Steps {
    // In walk order.
    std::function<Decision(const Batch&, File&)> examine;
    // On whichever thread runs it.
    std::function<void(FileSystem&, const Batch&, File&)> copy;
    // In the order the copies started.
    std::function<void(const Batch&, const File&)> count;
    // True when nothing bound for |destination| is to be examined.
    std::function<bool(const std::string& destination)> dropped;
  };

  // One scan's files: where they come from and go to.
  struct Scan {
    long number;
    std::string directory;
    std::string destination;
    bool empty;  // |destination| holds none of them yet
  };

  WalkLedger(RunQueue& queue, const PathStyle& style, Steps steps);

  // A scan of |directory| for files bound for |destination| begins, once
  // the copies into either that started before have settled.
  Scan BeginScan(const std::string& directory, const std::string& destination, bool empty);
  // Appends a file of |scan|, bound for |target|.
  void Add(const Scan& scan, SearchEntry entry, std::string target);
  // Hands the files added so far to the queue.
  void Flush();
  // Flushes and waits until everything handed out has been dealt with, so
  // that what comes next in |scan| finds what it made.
  void Drain(Scan& scan);
  // A step after everything before it: |request| (which may be empty) runs
  // on a worker, then |effect| on the walk's thread, and what it returns is
  // shown once the copies started before it have been counted.
  void InOrder(RunQueue::Work request, std::function<Show()> effect);

 private:
  void Examine(const std::shared_ptr<Batch>& batch);
  static void LookUp(Batch& batch, FileSystem& fileSystem);
  void StartCopies(const std::shared_ptr<Batch>& batch, const std::vector<File*>& files);
  // Counts the copies started so far, then shows |show|.
  void ShowAfterCopies(const Show& show);
  // One file of |batch| has been dealt with.
  void Settle(Batch& batch);

  RunQueue& queue_;
  Steps steps_;
  UnsettledFolders unsettled_;
  std::shared_ptr<Batch> batch_;  // the files added and not yet flushed
  long scans_ = 0;                // the scans of the mapping so far
};

}  // namespace trasvex
