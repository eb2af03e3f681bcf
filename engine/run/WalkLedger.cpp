// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/WalkLedger.h"

#include <utility>

#include "run/CopyGroups.h"

namespace trasvex {

WalkLedger::WalkLedger(RunQueue& queue, const PathStyle& style, Steps steps)
    : queue_(queue), steps_(std::move(steps)), unsettled_(style) {}

WalkLedger::Scan WalkLedger::BeginScan(const std::string& directory,
                                       const std::string& destination, bool empty) {
  Flush();
  if (unsettled_.Holds(directory) || unsettled_.Holds(destination))
    queue_.Drain();
  return {++scans_, directory, destination, empty};
}

void WalkLedger::Add(const Scan& scan, SearchEntry entry, std::string target) {
  if (batch_ && batch_->scan != scan.number)
    Flush();
  if (!batch_)
    batch_ = std::make_shared<Batch>(
        Batch{scan.number, scan.directory, scan.destination, scan.empty, {}, 0});
  File& file = batch_->files.emplace_back();
  file.entry = std::move(entry);
  file.target = std::move(target);
  if (batch_->files.size() == queue_.BatchItems())
    Flush();
}

void WalkLedger::Flush() {
  if (!batch_)
    return;
  std::shared_ptr<Batch> batch = std::move(batch_);
  batch->unsettled = batch->files.size();
  if (queue_.Parallel())
    unsettled_.Add(batch->destination);
  queue_.Add(
      int(batch->files.size()), [batch](FileSystem& fileSystem) { LookUp(*batch, fileSystem); },
      [this, batch] { Examine(batch); });
}

void WalkLedger::Drain(Scan& scan) {
  Flush();
  queue_.Drain();
  scan.empty = false;  // what was handed out may have put files there
}

void WalkLedger::InOrder(RunQueue::Work request, std::function<Show()> effect) {
  Flush();
  queue_.Add(0, std::move(request), [this, effect = std::move(effect)] {
    if (const Show show = effect())
      ShowAfterCopies(show);
  });
}

void WalkLedger::LookUp(Batch& batch, FileSystem& fileSystem) {
  if (batch.emptyDestination)
    return;  // every target is missing
  for (File& file : batch.files) {
    file.age = fileSystem.FileAge(file.target, file.instant, file.size);
    if (file.age == kLookUpFailed)
      file.error = fileSystem.LastError();
  }
}

void WalkLedger::Examine(const std::shared_ptr<Batch>& batch) {
  if (steps_.dropped(batch->destination)) {  // the walk was never there
    for (std::size_t file = 0; file < batch->files.size(); ++file)
      Settle(*batch);
    return;
  }
  std::vector<File*> copies;
  for (File& file : batch->files) {
    const Decision decision = steps_.examine(*batch, file);
    if (decision.copy) {
      copies.push_back(&file);
      continue;
    }
    if (decision.show) {
      StartCopies(batch, copies);
      copies.clear();
      ShowAfterCopies(decision.show);
    }
    Settle(*batch);
  }
  StartCopies(batch, copies);
}

void WalkLedger::ShowAfterCopies(const Show& show) {
  queue_.SettleAll();
  show();
}

// The copies of one scan go into one folder; a folder's next scan waits
// until they have settled, so they are one group of follow-ups.
void WalkLedger::StartCopies(const std::shared_ptr<Batch>& batch,
                             const std::vector<File*>& files) {
  std::vector<std::int64_t> sizes;
  for (const File* file : files)
    sizes.push_back(file->entry.size);
  auto begin = files.begin();
  for (const std::size_t count : CopyGroups::Of(sizes, queue_.FollowUpItems())) {
    const std::vector<File*> some(begin, begin + std::ptrdiff_t(count));
    begin += std::ptrdiff_t(count);
    queue_.AddFollowUp(
        batch->scan, int(some.size()),
        [this, batch, some](FileSystem& fileSystem) {
          for (File* file : some)
            steps_.copy(fileSystem, *batch, *file);
        },
        [this, batch, some] {
          for (const File* file : some) {
            steps_.count(*batch, *file);
            Settle(*batch);
          }
        });
  }
}

void WalkLedger::Settle(Batch& batch) {
  if (--batch.unsettled == 0 && queue_.Parallel())
    unsettled_.Settle(batch.destination);
}

}  // namespace trasvex
