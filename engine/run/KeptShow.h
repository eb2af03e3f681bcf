// SPDX-License-Identifier: GPL-3.0-or-later
// What a walk that runs ahead of its turn shows, kept until its turn and
// then passed on, in the order it came, to the show of the run. The walk
// keeps on its own thread and the run passes on from its own; a walk whose
// show holds |most| things waits until the run takes them, so that what a
// walk keeps stays bounded.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <variant>

#include "run/RunShow.h"
#include "run/SharedOptions.h"

namespace trasvex {

class KeptShow : public RunShow {
 public:
  KeptShow(const SharedOptions& options, std::size_t most) : options_(options), most_(most) {}

  // The walk has ended: nothing more comes.
  void End();
  // The run will not take what is kept: the walk keeps nothing more, and
  // never waits.
  void Drop();
  // Passes on to |to| everything kept; when nothing is, waits at most
  // |wait| for something. True once the walk has ended and all it kept has
  // been passed on.
  bool PassOn(RunShow& to, std::chrono::milliseconds wait);

  RunOptions Options() override { return options_.Get(); }
  void Examined() override;
  void Acting(const std::string& name) override { Keep(Act{name}); }
  void Copied(const std::string& folder) override { Keep(Copy{folder}); }
  void Row(const ResultRow& cells) override { Keep(cells); }
  void Failure(const std::string& message, const std::string& reason,
               const std::string& file) override {
    Keep(Fail{message, reason, file});
  }

 private:
  struct Examine {
    int files = 0;  // files examined one after the other
  };
  struct Act {
    std::string name;
  };
  struct Copy {
    std::string folder;
  };
  struct Fail {
    std::string message, reason, file;
  };
  using Thing = std::variant<Examine, Act, Copy, ResultRow, Fail>;

  void Keep(Thing thing);
  static void Pass(const Thing& thing, RunShow& to);

  const SharedOptions& options_;
  const std::size_t most_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Thing> kept_;
  bool ended_ = false;
  bool dropped_ = false;
};

}  // namespace trasvex
