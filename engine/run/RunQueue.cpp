// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/RunQueue.h"

#include <algorithm>
#include <system_error>

namespace trasvex {

namespace {

// How far the walk may run ahead of what has been carried out, in files,
// and how many copies may be in flight: enough to keep every worker busy
// in folders of their own, few enough to keep the memory of a run small.
constexpr int kLookAhead = 4096;
constexpr std::size_t kFewestBatchItems = 4;
constexpr std::size_t kMostBatchItems = 128;

}  // namespace

RunQueue::RunQueue(FileSystem& fileSystem, int workers, std::function<void()> idle)
    : fileSystem_(fileSystem), idle_(std::move(idle)) {
  if (workers <= 1 || !(helper_ = fileSystem.ForWorker()))
    return;  // one worker, or a backend that works on one thread
  try {
    pool_ = std::make_unique<WorkerPool>(fileSystem, workers);
  } catch (const std::system_error&) {
    return;  // no threads to be had: one thing at a time
  }
  batchItems_ = std::clamp(std::size_t(kLookAhead) / (std::size_t(workers) * 8),
                           kFewestBatchItems, kMostBatchItems);
}

void RunQueue::Add(int items, Work request, Effect effect) {
  if (!pool_) {
    if (request)
      request(fileSystem_);
    effect();
    return;
  }
  Pending& step = steps_.emplace_back(Pending{std::move(effect), items, !request});
  pendingItems_ += items;
  if (request)
    pool_->Submit(std::move(request), step.ended);
  Advance(kLookAhead);
}

void RunQueue::AddFollowUp(long group, int items, Work request, Effect settle) {
  if (!pool_) {
    request(fileSystem_);
    settle();
    return;
  }
  Pending& followUp = followUps_.emplace_back(Pending{std::move(settle), items});
  followUpItems_ += items;
  pool_->SubmitUrgent(std::move(request), followUp.ended, group);
  while (followUpItems_ > kLookAhead) {
    pool_->Wait(followUps_.front().ended, *helper_, idle_);
    SettleEnded();
  }
}

void RunQueue::Start(Work request, bool& ended) {
  if (!pool_) {
    request(fileSystem_);
    ended = true;
    return;
  }
  pool_->Submit(std::move(request), ended);
}

void RunQueue::Wait(const bool& ended) {
  if (pool_)
    pool_->Wait(ended, *helper_, idle_);
}

void RunQueue::SettleEnded() {
  while (!followUps_.empty() && pool_->Ended(followUps_.front().ended)) {
    const Effect settle = std::move(followUps_.front().effect);
    followUpItems_ -= followUps_.front().items;
    followUps_.pop_front();
    settle();
  }
}

void RunQueue::SettleAll() {
  while (!followUps_.empty()) {
    pool_->Wait(followUps_.front().ended, *helper_, idle_);
    SettleEnded();
  }
}

void RunQueue::Advance(int below) {
  SettleEnded();
  while (!steps_.empty()) {
    Pending& step = steps_.front();
    if (!pool_->Ended(step.ended)) {
      if (pendingItems_ <= below)
        return;
      pool_->Wait(step.ended, *helper_, idle_);
    }
    const Effect effect = std::move(step.effect);
    pendingItems_ -= step.items;
    steps_.pop_front();
    effect();
    SettleEnded();
  }
}

void RunQueue::Drain() {
  if (!pool_)
    return;
  Advance(-1);
  SettleAll();
}

}  // namespace trasvex
