// SPDX-License-Identifier: GPL-3.0-or-later
// The copies in flight, as the walk's thread shows them: each copy, on
// whichever thread runs it, tells how far it has come, and the walk names
// the oldest one with its share done once it has lasted a while.
#pragma once

#include <chrono>
#include <cstdint>
#include <list>
#include <mutex>
#include <string>

namespace trasvex {

class CopyProgress {
 public:
  using Clock = std::chrono::steady_clock;
  // A copy shows its progress once it has lasted this long.
  static constexpr std::chrono::milliseconds kShownAfter{1000};

  class Copy;
  // A copy of the file |name| of |size| bytes has begun; it ends when the
  // returned object goes.
  Copy Begin(std::string name, std::int64_t size);
  // "name  45 %" for the oldest copy in flight when it has lasted
  // kShownAfter; empty otherwise.
  std::string Text(Clock::time_point now);

 private:
  struct Entry {
    std::string name;
    std::int64_t size;
    std::int64_t copied = 0;
    Clock::time_point began;
  };

  std::mutex mutex_;
  std::list<Entry> copies_;  // oldest first
};

class CopyProgress::Copy {
 public:
  Copy(CopyProgress& owner, std::list<Entry>::iterator entry) : owner_(owner), entry_(entry) {}
  ~Copy();
  Copy(const Copy&) = delete;
  Copy& operator=(const Copy&) = delete;

  void Advance(std::int64_t copied);

 private:
  CopyProgress& owner_;
  std::list<Entry>::iterator entry_;
};

}  // namespace trasvex
