// SPDX-License-Identifier: GPL-3.0-or-later
// A scan started ahead on the workers answers as the direct scan would; a
// scan not started is made through the walk's own file system.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "FaultyFileSystem.h"
#include "MemoryTree.h"
#include "run/MappingTrees.h"
#include "run/ScanAhead.h"
#include "TempTree.h"

namespace trasvex::test {
namespace {

using Names = std::vector<std::string>;

Names NamesOf(const std::vector<SearchEntry>& entries) {
  Names names;
  for (const SearchEntry& entry : entries)
    names.push_back(entry.name + (entry.IsDirectory() ? "/" : ""));
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ScanAhead, AScanStartedAheadFindsWhatADirectScanFinds) {
  const TempTree tree({"a.txt", "b.doc", "sub/c.txt", ".oculto"});
  const std::unique_ptr<FileSystem> native = FileSystem::CreateNative();
  const std::string pattern = tree.Root() + native->Style().separator + "*.*";
  std::vector<SearchEntry> direct;
  ASSERT_TRUE(native->Scan(pattern, kFilesAndDirectories, direct));
  for (const bool started : {true, false}) {
    SCOPED_TRACE(started ? "started" : "not started");
    RunQueue queue(*native, 4, nullptr);
    ScanAhead scans(queue);
    if (started)
      scans.Start(pattern, kFilesAndDirectories);
    // The walk's own file system is asked only for a scan not started.
    FaultyFileSystem walk(*native);
    std::vector<SearchEntry> entries;
    EXPECT_TRUE(scans.Scan(walk, pattern, kFilesAndDirectories, entries));
    EXPECT_EQ(NamesOf(entries), NamesOf(direct));
    EXPECT_EQ(walk.Calls(FaultyFileSystem::Operation::kScan), started ? 0 : 1);
    // A scan is taken once; the next is made anew.
    EXPECT_TRUE(scans.Scan(walk, pattern, kFilesAndDirectories, entries));
    EXPECT_EQ(walk.Calls(FaultyFileSystem::Operation::kScan), started ? 1 : 2);
  }
}

// A started scan that could not read its directory to the end says so.
TEST(ScanAhead, AnIncompleteScanStartedAheadIsIncomplete) {
  const TempTree tree({"a.txt", "b.txt"});
  const std::unique_ptr<FileSystem> native = FileSystem::CreateNative();
  FaultyFileSystem faulty(*native);
  faulty.FailOn(FaultyFileSystem::Operation::kScan, 1);
  RunQueue queue(faulty, 4, nullptr);
  ScanAhead scans(queue);
  const std::string pattern = tree.Root() + native->Style().separator + "*.*";
  scans.Start(pattern, kFilesAndDirectories);
  std::vector<SearchEntry> entries;
  EXPECT_FALSE(scans.Scan(faulty, pattern, kFilesAndDirectories, entries));
  EXPECT_EQ(NamesOf(entries), Names{"a.txt"});
}

// Trees meet when either lies in the other, as the file system resolves
// them ("." and "..", asked of the file system through the one that fails
// on request); then no scan is made ahead.
template <class Tree>
void ExpectTreesMeet() {
  Tree tree({"a/b/", "c/"});
  const std::unique_ptr<FileSystem> fs = tree.OpenFileSystem();
  FaultyFileSystem faulty(*fs);
  const struct {
    const char* source;
    const char* destination;
    bool destinationInSource;
    bool meet;
  } cases[] = {
      {"a", "a/b", true, true},
      {"a/b", "a", false, true},
      {"a", "a", true, true},
      {"a", "c", false, false},
      {"a/b", "c/nuevo", false, false},
      {"a/b/..", "a/b", true, true},
      {"c/../a/./b", "a", false, true},
      {"c", "a/../c/nuevo", true, true},
      {"a/b/../../c", "a", false, false},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(std::string(row.source) + " -> " + row.destination);
    const MappingTrees trees =
        MappingTrees::Of(faulty, tree.Path(row.source), tree.Path(row.destination));
    EXPECT_EQ(trees.destinationInSource, row.destinationInSource);
    EXPECT_EQ(trees.meet, row.meet);
  }
}

TEST(MappingTrees, TreesMeetWhenEitherHoldsTheOther) { ExpectTreesMeet<TempTree>(); }
TEST(MappingTrees, TreesMeetWhenEitherHoldsTheOtherInMemory) { ExpectTreesMeet<MemoryTree>(); }

}  // namespace
}  // namespace trasvex::test
