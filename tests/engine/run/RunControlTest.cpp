// SPDX-License-Identifier: GPL-3.0-or-later
// A run as the person at the window follows it: a stop takes effect at once
// and leaves nothing half done, every failure names its file in panel 1 and
// gives its reason, the window is pumped while the run waits or copies, and
// a long copy shows how far it has come; with one worker as with eight.
#include <algorithm>
#include <map>

#include "EngineFixture.h"
#include "FaultyFileSystem.h"
#include "ScopedJobs.h"

namespace trasvex::test {
namespace {

using Names = std::vector<std::string>;
using Operation = FaultyFileSystem::Operation;
using namespace std::chrono_literals;

class RunControl : public MemoryEngineFixture {
 protected:
  void RunSlowly(const char* jobs, const std::vector<std::string>& lines) {
    ScopedJobs scoped(jobs);
    host_.lines.clear();
    for (const std::string& line : lines)
      host_.lines.push_back(Expand(line));
    slowEngine_.CopyBtnClick();
  }
  // The longest time between two pumps of the window in the last run.
  std::chrono::milliseconds LongestWithoutPump() const {
    std::chrono::steady_clock::duration longest{};
    for (std::size_t i = 1; i < host_.pumpTimes.size(); ++i)
      longest = std::max(longest, host_.pumpTimes[i] - host_.pumpTimes[i - 1]);
    return std::chrono::duration_cast<std::chrono::milliseconds>(longest);
  }
  bool NoTemporaryLeft() const {
    const Names entries = tree_.Entries();
    return std::none_of(entries.begin(), entries.end(), [](const std::string& entry) {
      return entry.starts_with(".trasvex-") || entry.find("/.trasvex-") != std::string::npos;
    });
  }

  FaultyFileSystem slow_{*fs_};
  Distribuidor slowEngine_{host_, slow_};
};

// A stop asked for while a large file is copied drops that copy and
// examines nothing more; the summary is written as at any end.
TEST_F(RunControl, AStopDropsTheCopyInFlightAndExaminesNoMore) {
  tree_.Add("src/a.bin 2022-01-01 00:00:00 8388608");
  tree_.Add("src/b.txt 2022-01-01 00:00:00");
  tree_.Add("dst/a.bin 2020-01-01 00:00:00");
  slow_.blockDelay = 20ms;
  for (const char* jobs : {"1", "8"}) {
    SCOPED_TRACE(jobs);
    host_.stopRequested = false;
    host_.onKeepAlive = [this] { host_.stopRequested = true; };
    RunSlowly(jobs, {"bin txt", "@/dst = @/src"});  // the large file first
    EXPECT_EQ(host_.status[0], "Ejecución detenida por el usuario.");
    EXPECT_TRUE(host_.status[1].starts_with("Archs (")) << host_.status[1];
    EXPECT_LE(slowEngine_.Counters().examinados, 2);
    // A worker of its own may have copied the small file before the stop.
    const bool sideBySide = std::string_view(jobs) != "1";
    EXPECT_EQ(slowEngine_.Counters().hechos, sideBySide && tree_.Exists("dst/b.txt") ? 1 : 0);
    EXPECT_EQ(slowEngine_.Counters().fallidos, 0);
    EXPECT_EQ(tree_.Read("dst/a.bin"), "dst/a.bin");
    EXPECT_TRUE(NoTemporaryLeft());
    EXPECT_TRUE(slowEngine_.Stopped());
  }
  host_.onKeepAlive = nullptr;
  host_.stopRequested = false;
  slow_.blockDelay = 0ms;
  tree_.Remove("dst/b.txt");
  RunSlowly("1", {"@/dst = @/src"});  // the next run starts afresh
  EXPECT_EQ(host_.status[1], "Archs (2): 2 copias, 0 fallos.");
}

// Look-ups that wait on a slow share and a copy that lasts: the window is
// pumped every few hundredths of a second all along, and panel 1 names the
// long copy with its share done.
TEST_F(RunControl, TheWindowIsPumpedWhileTheRunWaitsOrCopies) {
  for (int i = 0; i < 10; ++i)
    tree_.Add("src/f" + std::to_string(i) + ".txt 2022-01-01 00:00:00");
  tree_.Add("src/grande.bin 2022-01-01 00:00:00 16777216");
  slow_.beforeCall = [](Operation operation, const std::string&) {
    if (operation == Operation::kOpenSource)
      std::this_thread::sleep_for(10ms);
  };
  std::set<std::string> shown;
  host_.onKeepAlive = [&] { shown.insert(host_.status[1]); };
  for (const char* jobs : {"1", "8"}) {
    SCOPED_TRACE(jobs);
    tree_.Remove("dst");
    host_.pumpTimes.clear();
    slow_.blockDelay = 70ms;  // over a second for the large file
    RunSlowly(jobs, {"@/dst = @/src"});
    EXPECT_EQ(host_.status[1], "Archs (11): 11 copias, 0 fallos.");
    EXPECT_LT(LongestWithoutPump(), 300ms);  // generous: the rule is 100 ms
  }
  EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [](const std::string& text) {
    return text.starts_with("grande.bin  ") && text.ends_with(" %");
  }));
}

// Failures on the workers come after the files examined since: panel 1
// names each failed file again before its message, which carries the
// reason, as with one worker; so do a source and a target that cannot be
// examined, which come in turn with the files after them.
TEST_F(RunControl, AFailureNamesItsFileBeforeItsMessage) {
  for (int i = 0; i < 12; ++i)
    tree_.Add("src/f" + std::to_string(i) + ".txt 2022-01-01 00:00:00");
  const struct {
    Operation operation;
    const char* side;
    int error;
  } cases[] = {
      {Operation::kOpenSource, "src", EACCES},
      {Operation::kExamine, "src", EIO},
      {Operation::kFileAge, "dst", EIO},
  };
  Names shownWithMessage;
  host_.onMessage = [&](const std::string&) { shownWithMessage.push_back(host_.status[1]); };
  for (const auto& row : cases) {
    FaultyFileSystem faulty(*fs_);
    for (const char* failing : {"/f3.txt", "/f7.txt"})
      faulty.FailFor(row.operation, P(row.side + std::string(failing)));
    Distribuidor engine(host_, faulty);
    for (const char* jobs : {"1", "32"}) {
      SCOPED_TRACE(std::string(row.side) + " " + std::to_string(int(row.operation)) + " " + jobs);
      tree_.Remove("dst");
      tree_.Add("dst/");  // looked up
      shownWithMessage.clear();
      host_.messages.clear();
      host_.reasons.clear();
      const ScopedJobs scoped(jobs);
      host_.lines = {Expand("@/dst = @/src")};
      engine.CopyBtnClick();
      ASSERT_EQ(host_.messages.size(), 2u);
      for (std::size_t i = 0; i < 2; ++i)
        EXPECT_TRUE(host_.messages[i].ends_with(fs_->Style().separator + shownWithMessage[i]))
            << shownWithMessage[i] << " shown with " << host_.messages[i];
      std::sort(shownWithMessage.begin(), shownWithMessage.end());
      EXPECT_EQ(shownWithMessage, (Names{"f3.txt", "f7.txt"}));
      EXPECT_EQ(host_.reasons, Names(2, fs_->ErrorText(row.error)));
    }
  }
}

// A check box changed at the k-th file panel 1 shows takes effect from that
// file on, whatever the number of workers.
TEST_F(RunControl, ACheckBoxChangedMidRunTakesEffectAtTheFileShown) {
  for (int i = 0; i < 10; ++i)
    tree_.Add("src/f" + std::to_string(i) + ".txt 2022-01-01 00:00:00");
  std::vector<std::map<int, ResultRow>> rows;
  for (const char* jobs : {"1", "8"}) {
    SCOPED_TRACE(jobs);
    tree_.Remove("dst");
    int shown = 0;
    host_.options.listado = true;
    host_.onProcessEvents = [&] {
      if (!host_.status[1].starts_with("f"))
        return;
      ++shown;
      host_.options.listado = shown < 4 || shown >= 7;
    };
    RunSlowly(jobs, {"@/dst = @/src"});
    rows.push_back(host_.rows);  // numbered as they come
    EXPECT_EQ(tree_.List("dst").size(), 3u);
  }
  host_.onProcessEvents = nullptr;
  EXPECT_EQ(rows[0], rows[1]);
  EXPECT_EQ(rows[0].size(), 7u);
  EXPECT_EQ(rows[0].rbegin()->first, 10);  // the copies between took their numbers
}

}  // namespace
}  // namespace trasvex::test
