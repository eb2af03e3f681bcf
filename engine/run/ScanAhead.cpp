// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/ScanAhead.h"

namespace trasvex {

namespace {

// Scans started and not yet taken.
constexpr std::size_t kMostWaiting = 16;

}  // namespace

ScanAhead::~ScanAhead() {
  for (const auto& [key, pending] : pending_)
    queue_.Wait(pending->ended);
}

bool ScanAhead::HasRoom() const { return pending_.size() < kMostWaiting; }

void ScanAhead::Start(const std::string& pattern, unsigned attributeSet) {
  auto [found, added] = pending_.try_emplace({pattern, attributeSet});
  if (!added)
    return;
  found->second = std::make_shared<Pending>();
  queue_.Start(
      [pending = found->second, pattern, attributeSet](FileSystem& fileSystem) {
        pending->complete = fileSystem.Scan(pattern, attributeSet, pending->entries);
      },
      found->second->ended);
}

bool ScanAhead::Scan(FileSystem& fileSystem, const std::string& pattern, unsigned attributeSet,
                     std::vector<SearchEntry>& entries) {
  const auto found = pending_.find({pattern, attributeSet});
  if (found == pending_.end())
    return fileSystem.Scan(pattern, attributeSet, entries);
  const std::shared_ptr<Pending> pending = std::move(found->second);
  pending_.erase(found);
  queue_.Wait(pending->ended);
  entries = std::move(pending->entries);
  return pending->complete;
}

}  // namespace trasvex
