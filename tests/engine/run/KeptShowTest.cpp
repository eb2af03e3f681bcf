// SPDX-License-Identifier: GPL-3.0-or-later
// What a walk ahead of its turn keeps is bounded: a walk with more to show
// waits for the run to take it; files examined one after the other take
// one place.
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "run/KeptShow.h"

namespace trasvex::test {
namespace {

// A RunShow that writes down what it is shown.
struct Written : RunShow {
  RunOptions Options() override { return {}; }
  void Examined() override { ++examined; }
  void Acting(const std::string& name) override { shown.push_back("acting " + name); }
  void Copied(const std::string& folder) override { shown.push_back("copied " + folder); }
  void Row(const ResultRow& cells) override { shown.push_back("row " + cells[0]); }
  void Failure(const std::string& message, const std::string&, const std::string&) override {
    shown.push_back(message);
  }
  int examined = 0;
  std::vector<std::string> shown;
};

TEST(KeptShow, AWalkWithMoreToShowThanTheBoundWaitsForTheRun) {
  const SharedOptions options;
  KeptShow kept(options, 2);
  std::atomic<int> done = 0;
  std::thread walk([&] {
    for (int file = 0; file < 1000; ++file)
      kept.Examined();
    kept.Acting("a");
    ++done;
    kept.Copied("d");
    ++done;
    kept.Failure("ERROR", {}, {});
    ++done;
    kept.End();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(done, 1);  // 1,000 files examined, then one name: the bound is full
  Written run;
  while (!kept.PassOn(run, std::chrono::milliseconds(10))) {
  }
  walk.join();
  EXPECT_EQ(run.examined, 1000);
  EXPECT_EQ(run.shown, (std::vector<std::string>{"acting a", "copied d", "ERROR"}));
}

}  // namespace
}  // namespace trasvex::test
