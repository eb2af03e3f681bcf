// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/AheadWalk.h"

#include "run/MappingWalk.h"

namespace trasvex {

namespace {

// How much a walk ahead of its turn keeps before it waits: rows, messages,
// files it acts on and copies.
constexpr std::size_t kMostKept = 4096;
// How long the run waits for something new before it pumps its host.
constexpr std::chrono::milliseconds kFollowWait{40};

}  // namespace

AheadWalk::AheadWalk(std::unique_ptr<FileSystem> fileSystem, const RunWatch& leader,
                     const SharedOptions& options, Mapping mapping)
    : fs_(std::move(fileSystem)),
      watch_(&leader),
      show_(options, kMostKept),
      mapping_(std::move(mapping)),
      thread_([this] { Walk(); }) {}

AheadWalk::~AheadWalk() {
  show_.Drop();
  thread_.join();
}

void AheadWalk::Walk() {
  watch_.Begin();
  fs_->SetDestinationRoot(mapping_.destination);
  MappingWalk(*fs_, show_, watch_, mapping_.extensions, mapping_.source, mapping_.destination)
      .Run(mapping_.source, mapping_.destination);
  ended_ = true;
  show_.End();
}

void AheadWalk::Follow(RunShow& to, const std::function<void()>& pump) {
  while (!show_.PassOn(to, kFollowWait))
    pump();
}

}  // namespace trasvex
