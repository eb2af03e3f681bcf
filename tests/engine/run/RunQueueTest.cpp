// SPDX-License-Identifier: GPL-3.0-or-later
// The queue held back: what the caller sees comes in the order the steps
// were added, whatever order their requests end in.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <thread>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "run/RunQueue.h"
#include "TaskGate.h"

namespace trasvex::test {
namespace {

using Names = TaskGate::Names;

// Request 1 is held back while 2 and 3 end, then a step without a request
// is added: no effect comes before 1's, and no settlement, though the
// step's effect (which waits for no follow-up) does.
TEST(RunQueue, EffectsAndSettlementsKeepTheOrderOfTheirStart) {
  struct Row {
    bool followUps;
    Names held, released;
  };
  const Row rows[] = {
      {false, {}, {"1", "2", "3", "4"}},
      {true, {"4"}, {"4", "1", "2", "3"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.followUps ? "follow-ups" : "steps");
    TaskGate gate;
    Names done;
    const std::unique_ptr<FileSystem> fileSystem = FileSystem::CreateNative();
    RunQueue queue(*fileSystem, 3, nullptr);
    ASSERT_TRUE(queue.Parallel());
    for (const std::string name : {"1", "2", "3"}) {
      auto request = gate.Task(name, name == "1");
      auto effect = [&done, name] { done.push_back(name); };
      if (row.followUps)
        queue.AddFollowUp(std::stol(name), 1, request, effect);
      else
        queue.Add(1, request, effect);
    }
    gate.AwaitEntry("end 2");
    gate.AwaitEntry("end 3");
    queue.Add(0, nullptr, [&done] { done.push_back("4"); });
    EXPECT_EQ(done, row.held);
    gate.Open();
    queue.Drain();
    EXPECT_EQ(done, row.released);
  }
}

TEST(RunQueue, OneWorkerCarriesOutEachStepAtOnceOnTheCallingThread) {
  const std::unique_ptr<FileSystem> fileSystem = FileSystem::CreateNative();
  RunQueue queue(*fileSystem, 1, nullptr);
  EXPECT_FALSE(queue.Parallel());
  Names done;
  std::set<std::thread::id> threads;
  std::set<FileSystem*> instances;
  const auto request = [&](const char* name) {
    return [&, name](FileSystem& through) {
      done.push_back(name);
      threads.insert(std::this_thread::get_id());
      instances.insert(&through);
    };
  };
  const auto effect = [&](const char* name) {
    return [&, name] {
      done.push_back(name);
      threads.insert(std::this_thread::get_id());
    };
  };
  queue.Add(1, request("request"), effect("effect"));
  EXPECT_EQ(done, (Names{"request", "effect"}));
  queue.AddFollowUp(1, 1, request("follow-up"), effect("settlement"));
  EXPECT_EQ(done, (Names{"request", "effect", "follow-up", "settlement"}));
  bool ended = false;
  queue.Start(request("apart"), ended);
  EXPECT_TRUE(ended);
  EXPECT_EQ(threads, std::set{std::this_thread::get_id()});
  EXPECT_EQ(instances, std::set{fileSystem.get()});
}

#ifndef _WIN32
// A process that may start no thread: the queue asked for workers runs
// every request on the caller, at once.
TEST(RunQueue, WithoutThreadsToBeHadTheCallerDoesTheWork) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
      ::_exit(3);
    const struct rlimit none = {1, 1};
    if (::setrlimit(RLIMIT_NPROC, &none) != 0)
      ::_exit(3);
    const std::unique_ptr<FileSystem> fileSystem = FileSystem::CreateNative();
    RunQueue queue(*fileSystem, 4, nullptr);
    std::thread::id ranOn;
    bool effect = false;
    queue.Add(1, [&](FileSystem&) { ranOn = std::this_thread::get_id(); }, [&] { effect = true; });
    ::_exit(!queue.Parallel() && ranOn == std::this_thread::get_id() && effect ? 0 : 1);
  }
  int status = -1;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
#endif

}  // namespace
}  // namespace trasvex::test
