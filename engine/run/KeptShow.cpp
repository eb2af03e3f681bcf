// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/KeptShow.h"

#include <utility>

namespace trasvex {

void KeptShow::End() {
  std::lock_guard lock(mutex_);
  ended_ = true;
  changed_.notify_all();
}

void KeptShow::Drop() {
  std::lock_guard lock(mutex_);
  dropped_ = true;
  kept_.clear();
  changed_.notify_all();
}

void KeptShow::Examined() {
  std::unique_lock lock(mutex_);
  if (!kept_.empty())
    if (Examine* last = std::get_if<Examine>(&kept_.back())) {
      ++last->files;
      return;
    }
  lock.unlock();
  Keep(Examine{1});
}

void KeptShow::Keep(Thing thing) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return kept_.size() < most_ || dropped_; });
  if (dropped_)
    return;
  kept_.push_back(std::move(thing));
  changed_.notify_all();
}

bool KeptShow::PassOn(RunShow& to, std::chrono::milliseconds wait) {
  std::deque<Thing> taken;
  bool ended;
  {
    std::unique_lock lock(mutex_);
    if (kept_.empty() && !ended_)
      changed_.wait_for(lock, wait, [this] { return !kept_.empty() || ended_; });
    taken.swap(kept_);
    ended = ended_;
    changed_.notify_all();
  }
  for (const Thing& thing : taken)
    Pass(thing, to);
  return ended;
}

void KeptShow::Pass(const Thing& thing, RunShow& to) {
  struct {
    RunShow& to;
    void operator()(const Examine& examine) {
      for (int file = 0; file < examine.files; ++file)
        to.Examined();
    }
    void operator()(const Act& act) { to.Acting(act.name); }
    void operator()(const Copy& copy) { to.Copied(copy.folder); }
    void operator()(const ResultRow& cells) { to.Row(cells); }
    void operator()(const Fail& fail) { to.Failure(fail.message, fail.reason, fail.file); }
  } pass{to};
  std::visit(pass, thing);
}

}  // namespace trasvex
