// SPDX-License-Identifier: GPL-3.0-or-later
// The order of a run's effects, kept while its file-system requests run
// side by side. The walk appends steps in its own order; a step's request
// runs on a worker, and its effect (what the caller sees) runs on the
// walk's thread, in walk order, once the request has ended. An effect may
// start a follow-up request (a copy), whose settlement runs in the order
// the follow-ups were started.
//
// Without workers every request runs at once on the walk's thread and
// every effect and settlement right after it: the sequential run.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>

#include "run/WorkerPool.h"
#include "fs/FileSystem.h"

namespace trasvex {

class RunQueue {
 public:
  using Work = WorkerPool::Work;
  using Effect = std::function<void()>;

  // More than one worker runs the requests on up to that many threads
  // (started as the requests come), each with its own instance of
  // |fileSystem|; else they run here, through it.
  // |idle|, when given, is called every few hundredths of a second while
  // the walk waits for the workers.
  RunQueue(FileSystem& fileSystem, int workers, std::function<void()> idle);

  bool Parallel() const { return pool_ != nullptr; }
  // How many items one request should take in: enough that handing it to a
  // worker costs little beside them, few enough that the look-ahead keeps
  // every worker busy; one without workers.
  std::size_t BatchItems() const { return batchItems_; }
  // Appends a step of |items| items (what the look-ahead counts); a step
  // without a request has only its effect. The walk waits here while too
  // many items are pending.
  void Add(int items, Work request, Effect effect);
  // Starts a follow-up of |items| items of the effect running now.
  // Follow-ups of one |group| run one at a time while other groups wait. The
  // walk groups the copies of one scan, which all go into one folder; a
  // folder's next scan waits until they have settled, so the copies into
  // one folder are never in two groups at once.
  void AddFollowUp(long group, int items, Work request, Effect settle);
  // How many items a follow-up should take in.
  std::size_t FollowUpItems() const { return std::max<std::size_t>(1, batchItems_ / 4); }
  // Waits for and settles every follow-up started.
  void SettleAll();
  // A request apart from the steps, whose result the walk takes when it
  // needs it: |ended|, which must outlive it, becomes true once it has run
  // (at once without workers).
  void Start(Work request, bool& ended);
  void Wait(const bool& ended);
  // Waits for and carries out everything appended.
  void Drain();

 private:
  struct Pending {
    Effect effect;
    int items = 0;
    bool ended = false;
  };

  // Carries out the effects whose requests have ended, in order; with
  // |below| set, waits until at most that many items are pending.
  void Advance(int below);
  void SettleEnded();

  FileSystem& fileSystem_;
  std::deque<Pending> steps_;
  std::deque<Pending> followUps_;
  // Declared after what its tasks write to, so that it ends them first.
  std::unique_ptr<WorkerPool> pool_;
  int pendingItems_ = 0;
  int followUpItems_ = 0;  // items of the follow-ups not yet settled
  std::size_t batchItems_ = 1;
  // The instance through which the walk's thread runs requests while it
  // waits.
  std::unique_ptr<FileSystem> helper_;
  std::function<void()> idle_;
};

}  // namespace trasvex
