// SPDX-License-Identifier: GPL-3.0-or-later
// The mappings of a list that run ahead of their turn, in memory: one whose
// destination does not answer holds back only itself, a stop reaches them
// all, and once the list is edited during the run nothing more starts
// ahead.
#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "EngineFixture.h"

namespace trasvex::test {
namespace {

using Names = std::vector<std::string>;

class LinesAhead : public MemoryEngineFixture {
 protected:
  LinesAhead() {
    for (const char* file : {"s/a.txt", "s/b.txt", "s/sub/c.txt", "y/e.txt"})
      tree_.Add(std::string(file) + " 2022-01-01 00:00:00");
  }
  void SetLines(const Names& lines) {
    host_.lines.clear();
    for (const std::string& line : lines)
      host_.lines.push_back(Expand(line));
  }
  // Waits at most ten seconds for |relative| to be there.
  bool Await(const std::string& relative) const {
    for (int tries = 0; tries < 1000 && !tree_.Exists(relative); ++tries)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return tree_.Exists(relative);
  }
};

// While one destination does not answer, the mappings apart from it end
// their copies, whether the one held is in its turn or ahead of it; its
// own copies follow once it answers.
TEST_F(LinesAhead, ADestinationThatDoesNotAnswerHoldsBackOnlyItself) {
  for (const int held : {0, 1}) {
    SCOPED_TRACE("line held: " + std::to_string(held));
    const std::string prefix = "h" + std::to_string(held) + "-";
    SetLines({"@/" + prefix + "0 = @/s", "@/" + prefix + "1 = @/s", "@/" + prefix + "2 = @/s"});
    tree_.Disk().Hold(P(prefix + std::to_string(held)));
    std::thread run([this] { engine_.CopyBtnClick(); });
    const bool lastCopied = Await(prefix + "2/sub/c.txt");
    tree_.Disk().Hold("");
    run.join();
    EXPECT_TRUE(lastCopied);
    EXPECT_EQ(tree_.List(prefix + std::to_string(held)), (Names{"a.txt", "b.txt", "sub"}));
    EXPECT_EQ(host_.status[1], "Archs (9): 9 copias, 0 fallos.");
    EXPECT_TRUE(host_.messages.empty());
  }
}

// The stop comes while the second mapping waits for its destination: once
// it answers, that mapping examines and copies nothing either.
TEST_F(LinesAhead, AStopReachesTheMappingsRunningAhead) {
  SetLines({"@/d0 = @/s", "@/d1 = @/s"});
  tree_.Disk().Hold(P("d1"));
  host_.onProcessEvents = [this] { host_.stopRequested = true; };
  host_.onKeepAlive = [this] { tree_.Disk().Hold(""); };
  engine_.CopyBtnClick();
  EXPECT_TRUE(engine_.Stopped());
  for (const char* file : {"d0/a.txt", "d1/a.txt", "d1/b.txt", "d1/sub/c.txt"})
    EXPECT_FALSE(tree_.Exists(file)) << file;
  EXPECT_EQ(host_.status[0], "Ejecución detenida por el usuario.");
  EXPECT_EQ(Counters().examinados, 0);
}

// The third line may start ahead once the first has ended, but the person
// has edited it meanwhile: it runs in its turn, as it reads then.
TEST_F(LinesAhead, AListEditedDuringTheRunStartsNothingMoreAhead) {
  tree_.Add("a/old.txt 2022-01-01 00:00:00");
  SetLines({"@/a = @/s", "@/x = @/y", "@/b = @/a"});
  bool edited = false;
  host_.onProcessEvents = [&] {
    if (!std::exchange(edited, true))
      host_.lines[2] = Expand("@/c = @/a");
  };
  engine_.CopyBtnClick();
  EXPECT_FALSE(tree_.Exists("b"));
  EXPECT_EQ(tree_.List("c"), (Names{"a.txt", "b.txt", "old.txt", "sub"}));
  EXPECT_EQ(tree_.List("x"), Names{"e.txt"});
}

}  // namespace
}  // namespace trasvex::test
