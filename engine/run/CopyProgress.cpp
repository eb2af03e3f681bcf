// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/CopyProgress.h"

namespace trasvex {

CopyProgress::Copy CopyProgress::Begin(std::string name, std::int64_t size) {
  std::lock_guard lock(mutex_);
  copies_.push_back({std::move(name), size, 0, Clock::now()});
  return Copy(*this, std::prev(copies_.end()));
}

std::string CopyProgress::Text(Clock::time_point now) {
  std::lock_guard lock(mutex_);
  if (copies_.empty() || now - copies_.front().began < kShownAfter)
    return {};
  const Entry& oldest = copies_.front();
  const std::int64_t percent = oldest.size > 0 ? oldest.copied * 100 / oldest.size : 0;
  return oldest.name + "  " + std::to_string(percent) + " %";
}

CopyProgress::Copy::~Copy() {
  std::lock_guard lock(owner_.mutex_);
  owner_.copies_.erase(entry_);
}

void CopyProgress::Copy::Advance(std::int64_t copied) {
  std::lock_guard lock(owner_.mutex_);
  entry_->copied = copied;
}

}  // namespace trasvex
