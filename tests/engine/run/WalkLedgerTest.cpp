// SPDX-License-Identifier: GPL-3.0-or-later
// The ledger's ordering rules, with its workers held back: what the walk
// sees comes in walk order whichever request ends first.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "run/WalkLedger.h"
#include "TaskGate.h"
#include "TempTree.h"

namespace trasvex::test {
namespace {

using Names = TaskGate::Names;
using File = WalkLedger::File;
using Batch = WalkLedger::Batch;

// A ledger over four workers whose walk copies the files whose names begin
// with "c", shows a failure for those with "f", and logs what it examines,
// counts and shows. The copy of "c1" is held at the gate until another
// thread opens it.
class Ledger : public ::testing::Test {
 protected:
  Ledger()
      : fs_(FileSystem::CreateNative()),
        queue_(*fs_, 4, nullptr),
        ledger_(queue_, fs_->Style(),
                {[this](const Batch&, File& file) { return Examine(file); },
                 [this](FileSystem& fs, const Batch&, File& file) {
                   gate_.Task(file.entry.name, file.entry.name == "c1")(fs);
                 },
                 [this](const Batch&, const File& file) { Log("count " + file.entry.name); },
                 [](const std::string&) { return false; }}) {}

  ~Ledger() override {
    if (opener_.joinable())
      opener_.join();
  }

  WalkLedger::Decision Examine(File& file) {
    const std::string& name = file.entry.name;
    Log("examine " + name + (file.age >= 0 ? " found" : ""));
    if (name[0] == 'f')
      return {false, [this, name] { Log("show " + name); }};
    return {name[0] == 'c', {}};
  }
  void Log(const std::string& entry) { log_.push_back(entry); }
  // Adds the files |names| of one scan from |directory| into |destination|.
  void AddScan(const std::string& directory, const Names& names,
               const std::string& destination = "dst") {
    const WalkLedger::Scan scan =
        ledger_.BeginScan(tree_.Path(directory), tree_.Path(destination), false);
    Log("scan " + directory);
    for (const std::string& name : names) {
      SearchEntry entry;
      entry.name = name;
      ledger_.Add(scan, entry, tree_.Path(destination + "/" + name));
    }
    ledger_.Flush();
  }
  // Opens the gate once the log holds |entry|.
  void OpenAfter(const std::string& entry = "start c1") {
    opener_ = std::thread([this, entry] {
      gate_.AwaitEntry(entry);
      gate_.Open();
    });
  }
  // The log of the walk's thread after everything handed out.
  Names Drained() {
    queue_.Drain();
    return log_;
  }

  TempTree tree_{{"dst/k 2020-01-02 10:00:00", "dst2/c2 2020-01-02 10:00:00"}};
  std::unique_ptr<FileSystem> fs_;
  RunQueue queue_;
  TaskGate gate_;
  std::thread opener_;
  Names log_;
  WalkLedger ledger_;
};

TEST_F(Ledger, AFileIsExaminedAfterItsLookUpAndCopiesAreCountedInStartOrder) {
  ASSERT_TRUE(queue_.Parallel());
  OpenAfter("end c2");  // the later copy ends first
  AddScan("a", {"c1", "k"});
  AddScan("b", {"c2"}, "dst2");
  Names drained = Drained();
  // Whether the first scan's look-ups end before the second scan begins is
  // a matter of timing.
  std::erase(drained, "scan b");
  EXPECT_EQ(drained, (Names{"scan a", "examine c1", "examine k found", "examine c2 found",
                            "count c1", "count c2"}));
}

TEST_F(Ledger, WhatAStepShowsComesAfterTheCopiesStartedBeforeIt) {
  OpenAfter();
  AddScan("a", {"c1", "f1"});
  ledger_.InOrder(nullptr, [this] { return WalkLedger::Show([this] { Log("show folder"); }); });
  ledger_.InOrder(nullptr, [] { return WalkLedger::Show(); });  // shows nothing
  EXPECT_EQ(Drained(),
            (Names{"scan a", "examine c1", "examine f1", "count c1", "show f1", "show folder"}));
}

TEST_F(Ledger, AScanOfAFolderComesAfterTheCopiesIntoIt) {
  OpenAfter();
  AddScan("a", {"c1"});
  AddScan("dst", {"k"});  // the folder the copy goes to
  EXPECT_EQ(Drained(), (Names{"scan a", "examine c1", "count c1", "scan dst", "examine k found"}));
}

}  // namespace
}  // namespace trasvex::test
