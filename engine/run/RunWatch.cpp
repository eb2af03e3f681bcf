// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/RunWatch.h"

namespace trasvex {

namespace {

// While a run waits for its workers or copies a large file, the window's
// events are pumped this often.
constexpr std::chrono::milliseconds kPumpEvery{40};

}  // namespace

void RunWatch::Begin() {
  stopped_ = false;
  walkThread_ = std::this_thread::get_id();
  lastPump_ = CopyProgress::Clock::now();
}

bool RunWatch::Stopping() {
  if (!stopped_ && (leader_ ? leader_->stopped_.load() : OnWalkThread() && host_->StopRequested()))
    stopped_ = true;
  return stopped_;
}

void RunWatch::ShowExamined(const std::string& name) {
  host_->SetStatus(1, name);
  shown_ = name;
  host_->ProcessEvents();
  lastPump_ = CopyProgress::Clock::now();
}

void RunWatch::Show(const std::string& text) {
  if (text != shown_)
    host_->SetStatus(1, text);
  shown_ = text;
}

void RunWatch::Pump() {
  if (leader_) {
    Stopping();
    return;
  }
  const CopyProgress::Clock::time_point now = CopyProgress::Clock::now();
  if (now - lastPump_ < kPumpEvery)
    return;
  lastPump_ = now;
  if (const std::string progress = progress_.Text(now); !progress.empty())
    Show(progress);
  host_->KeepAlive();
  Stopping();
}

}  // namespace trasvex
