// SPDX-License-Identifier: GPL-3.0-or-later
// What the person at the window sees of a run and how they steer it: the
// file status panel 1 names, the pumping of the window's events while the
// run waits or copies, the progress of a long copy, and the stop. A walk
// that runs ahead of its turn on a thread of its own has a watch that
// follows the run's: it shows and pumps nothing, and stops when the run's
// watch stops.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "run/CopyProgress.h"
#include "run/RunHost.h"

namespace trasvex {

class RunWatch {
 public:
  explicit RunWatch(RunHost& host) : host_(&host) {}
  // A watch that follows |leader|, which must outlive it.
  explicit RunWatch(const RunWatch* leader) : leader_(leader) {}

  // A run begins on the calling thread: nothing is stopped yet.
  void Begin();
  // True once the host has asked for a stop; safe on any thread after the
  // walk's thread has seen it.
  bool Stopping();
  bool Stopped() const { return stopped_ || (leader_ && leader_->stopped_); }
  // Panel 1 names |name|, a file the walk acts on, and the window's events
  // are processed.
  void ShowExamined(const std::string& name);
  // Shows |text| in panel 1, unless it shows it already.
  void Show(const std::string& text);
  // Pumps the window's events when the last pump is long enough ago,
  // showing in panel 1 the progress of a copy that has lasted a while. On
  // the walk's thread only. A follower only looks for the stop.
  void Pump();
  bool OnWalkThread() const { return std::this_thread::get_id() == walkThread_; }
  CopyProgress& Progress() { return progress_; }

 private:
  RunHost* host_ = nullptr;
  const RunWatch* leader_ = nullptr;
  std::atomic<bool> stopped_{false};
  CopyProgress progress_;
  CopyProgress::Clock::time_point lastPump_;
  std::thread::id walkThread_;  // the thread that runs the walk
  std::string shown_;           // what panel 1 shows
};

}  // namespace trasvex
