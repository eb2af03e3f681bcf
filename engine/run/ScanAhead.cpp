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

void ScanAhead::Start(Key key, std::function<bool(FileSystem&, Pending&)> work) {
  auto [found, added] = pending_.try_emplace(std::move(key));
  if (!added)
    return;
  found->second = std::make_shared<Pending>();
  queue_.Start(
      [pending = found->second, work = std::move(work)](FileSystem& fileSystem) {
        pending->complete = work(fileSystem, *pending);
      },
      found->second->ended);
}

std::shared_ptr<ScanAhead::Pending> ScanAhead::Take(const Key& key) {
  const auto found = pending_.find(key);
  if (found == pending_.end())
    return nullptr;
  std::shared_ptr<Pending> pending = std::move(found->second);
  pending_.erase(found);
  queue_.Wait(pending->ended);
  return pending;
}

void ScanAhead::Start(const std::string& pattern, unsigned attributeSet) {
  Start({pattern, attributeSet}, [pattern, attributeSet](FileSystem& fileSystem, Pending& pending) {
    return fileSystem.Scan(pattern, attributeSet, pending.entries);
  });
}

bool ScanAhead::Scan(FileSystem& fileSystem, const std::string& pattern, unsigned attributeSet,
                     std::vector<SearchEntry>& entries) {
  const std::shared_ptr<Pending> pending = Take({pattern, attributeSet});
  if (!pending)
    return fileSystem.Scan(pattern, attributeSet, entries);
  entries = std::move(pending->entries);
  return pending->complete;
}

void ScanAhead::StartCreation(const std::string& path, const std::string& model) {
  Start({path, kCreation}, [path, model](FileSystem& fileSystem, Pending&) {
    return fileSystem.CreateDirectory(path, model);
  });
}

bool ScanAhead::CreateDirectory(FileSystem& fileSystem, const std::string& path,
                                const std::string& model) {
  const std::shared_ptr<Pending> pending = Take({path, kCreation});
  return pending ? pending->complete : fileSystem.CreateDirectory(path, model);
}

}  // namespace trasvex
