// SPDX-License-Identifier: GPL-3.0-or-later
// The pool held back: workers wait on a gate while the test looks at what
// has started, then are let go and the order is checked.
#include <gtest/gtest.h>

#include <deque>
#include <latch>
#include <memory>
#include <string>
#include <vector>

#include "FaultyFileSystem.h"
#include "TaskGate.h"
#include "run/WorkerPool.h"

namespace trasvex::test {
namespace {

using Names = TaskGate::Names;

std::unique_ptr<WorkerPool> Pool(int workers) {
  static const std::unique_ptr<FileSystem> native = FileSystem::CreateNative();
  return std::make_unique<WorkerPool>(*native, workers);
}

// A free worker takes the group that no other worker is busy with, though
// a task of a busy group came first.
TEST(WorkerPool, AFreeWorkerTakesAGroupNobodyIsBusyWith) {
  TaskGate gate;
  std::latch second(1);
  bool ended[4] = {};
  {
    const std::unique_ptr<WorkerPool> pool = Pool(2);
    pool->SubmitUrgent(gate.Task("1a", true), ended[0], 1);
    gate.AwaitEntry("start 1a");
    pool->SubmitUrgent([&second](FileSystem&) { second.wait(); }, ended[1], 3);
    pool->SubmitUrgent(gate.Task("1b"), ended[2], 1);
    pool->SubmitUrgent(gate.Task("2a", true), ended[3], 2);
    second.count_down();
    EXPECT_EQ(gate.AwaitEntry("start 2a"), (Names{"start 1a", "start 2a"}));
    gate.Open();
  }
  EXPECT_EQ(gate.Log().size(), 6u);
}

// Tasks that come one at a time, each ended before the next, keep one
// worker busy: the pool makes no other.
TEST(WorkerPool, TasksThatComeOneAtATimeMakeOneWorker) {
  const std::unique_ptr<FileSystem> native = FileSystem::CreateNative();
  FaultyFileSystem counting(*native);
  WorkerPool pool(counting, 32);
  for (long task = 0; task < 20; ++task) {
    bool ended = false;
    pool.SubmitUrgent([](FileSystem&) {}, ended, task);
    pool.Wait(ended, *native, nullptr);
  }
  EXPECT_EQ(counting.instancesMade, 1);
}

// With no other group to go on with, a free worker joins a busy group.
TEST(WorkerPool, AFreeWorkerJoinsABusyGroupWhenNoOtherHasWork) {
  TaskGate gate;
  bool ended[2] = {};
  {
    const std::unique_ptr<WorkerPool> pool = Pool(2);
    pool->SubmitUrgent(gate.Task("1a", true), ended[0], 1);
    gate.AwaitEntry("start 1a");
    pool->SubmitUrgent(gate.Task("1b"), ended[1], 1);
    EXPECT_EQ(gate.AwaitEntry("end 1b"), (Names{"start 1a", "start 1b", "end 1b"}));
    gate.Open();
  }
}

// The look-ups the walk waits for go before the copies, which go in the
// order of their groups.
TEST(WorkerPool, PlainTasksGoBeforeWaitingUrgentOnes) {
  TaskGate gate;
  bool ended[4] = {};
  {
    const std::unique_ptr<WorkerPool> pool = Pool(1);
    pool->Submit(gate.Task("hold", true), ended[0]);
    gate.AwaitEntry("start hold");
    pool->SubmitUrgent(gate.Task("urgent 1"), ended[2], 7);
    pool->SubmitUrgent(gate.Task("urgent 2"), ended[3], 8);
    pool->Submit(gate.Task("plain"), ended[1]);
    EXPECT_EQ(gate.Log(), Names{"start hold"});
    gate.Open();
  }
  EXPECT_EQ(gate.Log(), (Names{"start hold", "end hold", "start plain", "end plain",
                               "start urgent 1", "end urgent 1", "start urgent 2",
                               "end urgent 2"}));
}

// The owner's wait runs the waiting plain tasks itself, never urgent ones.
TEST(WorkerPool, TheOwnerHelpsWithPlainTasksWhileItWaits) {
  TaskGate gate;
  bool ended[3] = {};
  const std::unique_ptr<WorkerPool> pool = Pool(1);
  pool->Submit(gate.Task("hold", true), ended[0]);
  gate.AwaitEntry("start hold");
  pool->SubmitUrgent(gate.Task("urgent"), ended[1], 1);
  pool->Submit(gate.Task("plain"), ended[2]);
  const std::unique_ptr<FileSystem> helper = FileSystem::CreateNative();
  pool->Wait(ended[2], *helper, nullptr);
  EXPECT_EQ(gate.Log(), (Names{"start hold", "start plain", "end plain"}));
  EXPECT_FALSE(pool->Ended(ended[1]));
  gate.Open();
  pool->Wait(ended[1], *helper, nullptr);
  EXPECT_TRUE(pool->Ended(ended[0]));
}

// The pools of walks that go side by side share one bound: the first takes
// the workers it asks for, the next what is left, and the workers of a pool
// that has ended are free again.
TEST(WorkerPool, ThePoolsTogetherStayWithinOneBound) {
  const std::unique_ptr<FileSystem> native = FileSystem::CreateNative();
  std::deque<bool> ended;
  // |tasks| tasks held at |gate| on a pool of as many workers; the workers
  // it made.
  const auto fill = [&](TaskGate& gate, const std::string& name, int tasks) {
    auto counting = std::make_unique<FaultyFileSystem>(*native);
    auto pool = std::make_unique<WorkerPool>(*counting, tasks);
    for (int task = 0; task < tasks; ++task)
      pool->Submit(gate.Task(name + std::to_string(task), true), ended.emplace_back(false));
    return std::pair(std::move(counting), std::move(pool));
  };
  constexpr int kFirst = WorkerPool::kMostThreadsInAll - 16;
  {
    TaskGate gate;
    auto [firstCount, first] = fill(gate, "first", kFirst);
    auto [secondCount, second] = fill(gate, "second", 32);
    auto [lastCount, last] = fill(gate, "last", 32);
    EXPECT_EQ(firstCount->instancesMade, kFirst);
    EXPECT_EQ(secondCount->instancesMade, 16);
    EXPECT_EQ(lastCount->instancesMade, 1);  // a pool has its first worker whatever the bound
    gate.Open();
  }
  TaskGate gate;
  auto [thirdCount, third] = fill(gate, "third", kFirst);
  EXPECT_EQ(thirdCount->instancesMade, kFirst);
  gate.Open();
}

}  // namespace
}  // namespace trasvex::test
