// SPDX-License-Identifier: GPL-3.0-or-later
// The same runs with one worker and with eight, over random trees in memory
// and on the disk: the host sees the same calls in the same order, the same
// messages in the same order, and the trees end the same, failed copies and
// all.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "run/Distribuidor.h"
#include "FaultyFileSystem.h"
#include "MemoryTree.h"
#include "RecordingHost.h"
#include "ScopedJobs.h"
#include "TempTree.h"

namespace trasvex::test {
namespace {

using Names = std::vector<std::string>;
using Operation = FaultyFileSystem::Operation;

// What the runs showed and left, with the tree's root written as "@".
struct Outcome {
  Names calls;
  Names messages;
  Names entries;  // every entry of the tree: path, and a file's content, stamp and write bit
};

// |calls| without a file's name shown again in panel 1: with workers a
// failure names its file once more before its message, as the file shown
// last may be a later one.
Names FirstShows(const Names& calls) {
  Names kept;
  std::set<std::string> shown;
  for (const std::string& call : calls)
    if (!call.starts_with("status 1 ") || shown.insert(call).second)
      kept.push_back(call);
  return kept;
}

// A random tree, parameter list, options and failing copy steps, built the
// same way from one seed wherever it is run.
class Scenario {
 public:
  explicit Scenario(unsigned seed) : random_(seed) {
    MakeSource();
    MakeDestination();
    MakeFailingFolders();
    MakeLines();
    options_.subDirs = Chance(80);
    options_.recientes = Chance(30);
    options_.listado = Chance(25);
    folderStamp_ = Stamp();
  }

  // Runs the parameter list twice (the second run finds the first one's
  // copies) through a new tree, a TempTree or a MemoryTree.
  template <class Tree>
  Outcome Run(const char* jobs) const {
    Tree tree(description_);
    for (const std::string& relative : readOnly_)
      tree.SetReadOnly(relative);
    // A folder examined as a file shows its stamp, which must not be the
    // time the tree was made.
    for (const std::string& entry : tree.Entries())
      if (entry.ends_with('/'))
        tree.SetStamp(entry, folderStamp_);
    RecordingHost host;
    std::unique_ptr<FileSystem> fs = tree.OpenFileSystem();
    for (const std::string& line : lines_)
      host.lines.push_back(Expand(line, tree.Root(), fs->Style()));
    host.options = options_;
    FaultyFileSystem faulty(*fs);
    for (const auto& [operation, relative] : failing_)
      faulty.FailFor(operation, tree.Path(relative));
    Distribuidor engine(host, faulty);
    {
      ScopedJobs scoped(jobs);
      engine.CopyBtnClick();
      engine.CopyBtnClick();
    }
    return {Rooted(FirstShows(host.calls), tree), Rooted(host.messages, tree), Entries(tree)};
  }

 private:
  bool Chance(int percent) { return int(random_() % 100) < percent; }
  std::size_t Pick(std::size_t count) { return random_() % count; }
  std::string Stamp() {
    return "202" + std::to_string(Pick(3)) + "-0" + std::to_string(1 + Pick(9)) +
           "-1" + std::to_string(Pick(9)) + " 10:00:0" + std::to_string(2 * Pick(5));
  }

  // Every fourth tree has more files, all in one folder; a few files hold
  // several MiB.
  void MakeSource() {
    const bool oneFolder = Chance(25);
    const Names folders = oneFolder ? Names{""}
                                    : Names{"", "d0/", "d0/d1/", "d2/", "d2.txt/", "d0/d1/d3/"};
    const Names extensions = {".txt", ".doc", ".bin", ".TXT", ""};
    const int files = oneFolder ? 40 + int(Pick(80)) : 10 + int(Pick(40));
    for (int i = 0; i < files; ++i) {
      std::string name = "f" + std::to_string(Pick(oneFolder ? 150 : 30)) +
                         extensions[Pick(extensions.size())];
#ifndef _WIN32
      if (Chance(5))
        name[0] = 'F';  // a twin of "f..." on a destination that ignores case
#endif
      std::string relative = folders[Pick(folders.size())];
      relative += name;
      if (std::find(sources_.begin(), sources_.end(), relative) != sources_.end())
        continue;
      sources_.push_back(relative);
      std::string source = "src/";
      source += relative;
      description_.push_back(source + ' ' + Stamp() +
                             (Chance(2) ? ' ' + std::to_string((2 + Pick(3)) << 20) : ""));
    }
  }

  // Some targets exist already, older, newer or as old; some are read-only
  // or a directory; some copy steps fail.
  void MakeDestination() {
    for (const std::string& relative : sources_) {
      const std::string target = "dst/" + relative;
      if (Chance(40))
        description_.push_back(target + " " + Stamp());
      else if (Chance(3))
        description_.push_back(target + "/");
      if (Chance(8)) {
        description_.push_back(target + " " + Stamp());
        readOnly_.push_back(target);
      }
      if (Chance(4))
        failing_.emplace_back(Operation::kOpenSource, "src/" + relative);
      if (Chance(4))
        failing_.emplace_back(Operation::kCreateTemporary, target);
      if (Chance(4))
        failing_.emplace_back(Operation::kReplaceTarget, target);
      if (Chance(20))
        description_.push_back("far/" + relative + " " + Stamp());
      if (Chance(4))
        failing_.emplace_back(Operation::kCreateTemporary, "far/" + relative);
    }
  }

  // Some destination folders cannot be made.
  void MakeFailingFolders() {
    for (const char* folder : {"d0", "d0/d1", "d2", "d2.txt", "d0/d1/d3"})
      if (Chance(6))
        failing_.emplace_back(Operation::kCreateDirectory, std::string("dst/") + folder);
  }

  // Masks, mappings that meet (a destination used twice, one inside
  // another's, one that is the source of the next) and mappings apart from
  // them, which run side by side with eight workers.
  void MakeLines() {
    const Names masks = {"txt", "txt doc", "*.t* bin", "f1*.*"};
    if (Chance(50))
      lines_.push_back(masks[Pick(masks.size())]);
    lines_.push_back("@/dst = @/src");
    const Names more = {"@/dst = @/src/d0",  "@/far = @/src",  "@/dst/d0 = @/src",
                        "@/far2 = @/src/d2", "@/dst2 = @/dst", "@/far/d0 = @/src/d0",
                        "@/src/d0 = @/far"};
    for (const std::string& line : more) {
      if (Chance(15))
        lines_.push_back(masks[Pick(masks.size())]);
      if (Chance(35))
        lines_.push_back(line);
    }
  }

  static std::string Expand(std::string line, const std::string& root, const PathStyle& style) {
    std::replace(line.begin(), line.end(), '/', style.separator);
    for (std::size_t at = line.find('@'); at != std::string::npos; at = line.find('@'))
      line.replace(at, 1, root);
    return line;
  }
  template <class Tree>
  static Names Rooted(const Names& texts, const Tree& tree) {
    const std::string& root = tree.Root();
    Names rooted;
    for (const std::string& text : texts) {
      std::string& into = rooted.emplace_back();
      std::size_t from = 0;
      for (std::size_t at = text.find(root); at != std::string::npos; at = text.find(root, from)) {
        into.append(text, from, at - from).append(1, '@');
        from = at + root.size();
      }
      into.append(text, from);
    }
    return rooted;
  }
  template <class Tree>
  static Names Entries(const Tree& tree) {
    Names entries;
    for (const std::string& relative : tree.Entries()) {
      if (relative.ends_with('/')) {
        entries.push_back(relative);
        continue;
      }
      const bool writable = tree.Mode(relative) & 0200;
      std::string content = tree.Read(relative);
      if (content.size() > 256)  // a large file by its size and a digest
        content = std::to_string(content.size()) + "#" +
                  std::to_string(std::hash<std::string>{}(content));
      entries.push_back(relative + " " + content + " " + std::to_string(tree.Stamp(relative)) +
                        (writable ? " w" : " r"));
    }
    std::sort(entries.begin(), entries.end());
    return entries;
  }

  std::mt19937 random_;
  Names sources_;
  Names description_;
  Names readOnly_;
  std::vector<std::pair<Operation, std::string>> failing_;
  Names lines_;
  RunOptions options_;
  std::string folderStamp_;
};

// The comparison over the trees of seeds |first| to |last|.
template <class Tree>
void CompareWorkers(unsigned first, unsigned last) {
  for (unsigned seed = first; seed <= last; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const Scenario scenario(seed);
    const Outcome alone = scenario.Run<Tree>("1");
    const Outcome eight = scenario.Run<Tree>("8");
    ASSERT_EQ(eight.calls, alone.calls);
    ASSERT_EQ(eight.messages, alone.messages);
    ASSERT_EQ(eight.entries, alone.entries);
  }
}

// Many trees in memory, where the disk's timing has no part in the order;
// fewer on the disk, through the platform's backend, whose faults memory
// would hide.
TEST(ParallelWalk, EightWorkersDoWhatOneDoesInMemory) { CompareWorkers<MemoryTree>(1, 400); }
TEST(ParallelWalk, EightWorkersDoWhatOneDoes) { CompareWorkers<TempTree>(1, 40); }

// The memory file system is a fair stand-in for the disk: one worker's run
// of a tree leaves it as on the disk, and shows the same rows and messages
// (in the order of the scans, which is each file system's own).
TEST(ParallelWalk, MemoryEndsWhereTheDiskEnds) {
#ifdef _WIN32
  GTEST_SKIP() << "the memory file system follows the POSIX backend's rules";
#endif
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const Scenario scenario(seed);
    Outcome memory = scenario.Run<MemoryTree>("1");
    Outcome disk = scenario.Run<TempTree>("1");
    for (Outcome* outcome : {&memory, &disk}) {
      for (std::string& call : outcome->calls)  // rows numbered in scan order
        if (call.starts_with("row "))
          call.erase(4, call.find(' ', 4) - 4);
      std::sort(outcome->calls.begin(), outcome->calls.end());
      std::sort(outcome->messages.begin(), outcome->messages.end());
    }
    EXPECT_EQ(memory.calls, disk.calls);
    EXPECT_EQ(memory.messages, disk.messages);
    EXPECT_EQ(memory.entries, disk.entries);
  }
}

// Runs with eight workers (or |jobs|) through a file system that fails
// where told.
class Workers : public MemoryEngineFixture {
 protected:
  void RunWith(const char* jobs, const std::vector<std::string>& lines) {
    const ScopedJobs scoped(jobs);
    host_.lines.clear();
    for (const std::string& line : lines)
      host_.lines.push_back(Expand(line));
    faultyEngine_.CopyBtnClick();
  }

  FaultyFileSystem faulty_{*fs_};
  Distribuidor faultyEngine_{host_, faulty_};
};

// A folder inside a new destination that cannot be made: its failure is
// shown once, and nothing inside it is examined, as with one worker.
TEST_F(Workers, NothingInsideAFolderThatCannotBeMadeIsExamined) {
  for (const char* relative : {"src/a.txt", "src/sub/b.txt", "src/sub/mas/c.txt", "src/z/d.txt"})
    tree_.Add(std::string(relative) + " 2022-01-01 00:00:00");
  faulty_.FailFor(Operation::kCreateDirectory, P("nuevo/sub"));
  for (const char* jobs : {"1", "8"}) {
    SCOPED_TRACE(jobs);
    host_.messages.clear();
    RunWith(jobs, {"@/nuevo = @/src"});
    EXPECT_EQ(host_.messages,
              Names{"ERROR: No se ha podido crear el directorio " + P("nuevo/sub") + "."});
    EXPECT_EQ(host_.status[1], "Archs (2): 2 copias, 1 fallos.");
    tree_.Remove("nuevo");
  }
}

// Two names of one folder that differ only in case are one file on a
// destination that ignores case: the later one is looked up (also in a
// folder the run made) only once the copy of the earlier one has settled.
TEST_F(Workers, TheLaterOfTwoNamesThatMeetIgnoringCaseIsLookedUpAfterTheFirstsCopy) {
  for (int i = 0; i < 40; ++i)
    tree_.Add("src/f" + std::to_string(i) + ".txt 2022-01-01 00:00:00");
  tree_.Add("src/gemelo.txt 2022-01-01 00:00:00");
  tree_.Add("src/GEMELO.TXT 2022-01-01 00:00:00");
  tree_.Add("dst/");
  for (const char* destination : {"dst", "nuevo"}) {
    SCOPED_TRACE(destination);
    std::vector<bool> otherThere;  // at each look-up of a twin
    faulty_.beforeCall = [&](Operation operation, const std::string& path) {
      const std::string folder = P(destination) + '/';
      if (operation == Operation::kFileAge && UpperAscii(path) == UpperAscii(folder + "gemelo.txt"))
        otherThere.push_back(tree_.Exists(std::string(destination) +
                                          (path.ends_with("TXT") ? "/gemelo.txt" : "/GEMELO.TXT")));
    };
    RunWith("8", {std::string("@/") + destination + " = @/src"});
    ASSERT_FALSE(otherThere.empty());
    EXPECT_EQ(std::count(otherThere.begin(), otherThere.end(), true), 1);
    EXPECT_TRUE(otherThere.back());
  }
}

// The source lies in the destination, and a folder of it named like the
// mask is copied into the source itself: the next mask's scan of the source
// finds that copy, as one worker does, though the look-up before the copy
// is slow to answer.
TEST_F(Workers, AScanFindsTheCopiesMadeIntoItsFolderBefore) {
  faulty_.beforeCall = [this](Operation operation, const std::string& path) {
    if (operation == Operation::kFileAge && path == P("dst/q.txt/a.doc"))
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
  };
  for (const char* jobs : {"1", "8"}) {
    SCOPED_TRACE(jobs);
    tree_.Add("dst/q.txt/b.doc");
    tree_.Add("dst/q.txt/q.txt/a.doc");
    RunWith(jobs, {"txt doc", "@/dst = @/dst/q.txt"});
    EXPECT_EQ(tree_.List("dst"), (Names{"a.doc", "b.doc", "q.txt"}));
    EXPECT_EQ(tree_.List("dst/q.txt"), (Names{"a.doc", "b.doc", "q.txt"}));
    tree_.Remove("dst");
  }
}

// A folder's message comes after the failures of the files walked before
// it, however long their copies take.
TEST_F(Workers, AFolderMessageFollowsTheFailuresWalkedBeforeIt) {
  faulty_.beforeCall = [](Operation operation, const std::string&) {
    if (operation == Operation::kOpenSource)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  };
  for (const char* file : {"src/f1.txt", "src/f2.txt", "src/f3.txt"}) {
    tree_.Add(file);
    faulty_.FailFor(Operation::kOpenSource, P(file));
  }
  tree_.Add("src/d1/");
  tree_.Add("src/d2/");
  faulty_.FailFor(Operation::kCreateDirectory, P("dst/d1"));
  faulty_.FailFor(Operation::kScan, P("src/d2/*.*"));
  Names expected;
  std::vector<SearchEntry> entries;
  fs_->Scan(P("src/*.*"), kFilesAndDirectories, entries);
  for (const SearchEntry& entry : entries)
    if (entry.name == "d1")
      expected.push_back("ERROR: No se ha podido crear el directorio " + P("dst/d1") + ".");
    else if (entry.name == "d2")
      expected.push_back("ERROR: No se ha podido leer el directorio " + P("src/d2") + ".");
    else if (!entry.IsDotOrDotDot())
      expected.push_back("ERROR: No se pudo copiar el archivo " + P("src/" + entry.name));
  RunWith("8", {"@/dst = @/src"});
  EXPECT_EQ(host_.messages, expected);
}

// The same with a copy that is held until the folder's message shows (or a
// while): the message waits for the copies started before it instead.
TEST_F(Workers, AFolderMessageWaitsForTheCopiesStartedBefore) {
  tree_.Add("src/a.txt 2022-01-01 00:00:00");
  tree_.Add("src/z/b.txt 2022-01-01 00:00:00");
  const struct {
    Operation operation;
    std::string path;
    std::string message;
  } cases[] = {
      {Operation::kScan, P("src/z/*.txt"),
       "ERROR: No se ha podido leer el directorio " + P("src/z") + "."},
      {Operation::kExamine, P("src/z/b.txt"),
       "ERROR: No se pudo examinar el archivo " + P("src/z/b.txt")},
  };
  const std::string copyFailure = "ERROR: No se pudo copiar el archivo " + P("src/a.txt");
  for (const auto& row : cases) {
    SCOPED_TRACE(row.message);
    tree_.Remove("dst");
    FaultyFileSystem faulty(*fs_);
    faulty.FailOn(Operation::kCopyContents, 1);
    faulty.FailFor(row.operation, row.path);
    std::mutex mutex;
    std::condition_variable changed;
    bool folderShown = false;
    host_.messages.clear();
    host_.onMessage = [&](const std::string& text) {
      std::lock_guard lock(mutex);
      folderShown = folderShown || text == row.message;
      changed.notify_all();
    };
    faulty.duringCopy = [&] {
      std::unique_lock lock(mutex);
      changed.wait_for(lock, std::chrono::seconds(2), [&] { return folderShown; });
    };
    Distribuidor engine(host_, faulty);
    const ScopedJobs eight("8");
    host_.lines = {"txt", Expand("@/dst = @/src")};  // the file's scan before the folders'
    engine.CopyBtnClick();
    EXPECT_EQ(host_.messages, (Names{copyFailure, row.message}));
  }
  host_.onMessage = nullptr;
}

TEST_F(Workers, OneJobMeansNoWorkerThread) {
  tree_.Add("src/a.txt 2022-01-01 00:00:00");
  tree_.Add("src/sub/b.txt 2022-01-01 00:00:00");
  tree_.Add("dst/a.txt 2020-01-01 00:00:00");
  std::set<std::thread::id> threads;
  faulty_.beforeCall = [&threads](Operation, const std::string&) {
    threads.insert(std::this_thread::get_id());
  };
  RunWith("1", {"@/dst = @/src"});
  EXPECT_EQ(host_.status[1], "Archs (2): 2 copias, 0 fallos.");
  EXPECT_EQ(threads, std::set{std::this_thread::get_id()});
}

// More copies than may be in flight at once: the run waits for some to
// settle, and ends.
TEST_F(Workers, MoreFilesThanCopiesInFlight) {
  tree_.Add("src/");
  for (int i = 0; i < 4200; ++i)
    tree_.Write("src/" + std::to_string(i), "");
  RunWith("8", {"@/dst = @/src"});
  EXPECT_EQ(host_.status[1], "Archs (4200): 4200 copias, 0 fallos.");
}

}  // namespace
}  // namespace trasvex::test
