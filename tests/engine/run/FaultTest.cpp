// SPDX-License-Identifier: GPL-3.0-or-later
// How a run takes what the file system throws at it: every step of a copy
// failing, a source that vanishes between the scan and the copy or changes
// while it is copied, and a directory that cannot be read. A failed copy
// keeps the old target whole, leaves no temporary file, shows its message,
// counts in Fallidos, and the run goes on.
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>

#include "EngineFixture.h"
#include "FaultyFileSystem.h"

namespace trasvex::test {
namespace {

using Names = std::vector<std::string>;
using Operation = FaultyFileSystem::Operation;

// Three mappings through a file system that fails where told, on the disk
// (Faults: the cases where the backend's own answers count) or in memory
// (FaultsInMemory: the walk's answers to the faults).
template <class Fixture>
class FaultsOn : public Fixture {
 protected:
  FaultsOn() {
    this->tree_.Add("src/a.txt 2022-01-01 00:00:00 200000");
    this->tree_.Add("dst/a.txt 2020-01-01 00:00:00");
    this->tree_.Add("nuevo/c.txt 2022-01-01 00:00:00");
    this->tree_.Add("otro/b.txt 2022-01-01 00:00:00");
  }
  // The file of the first mapping replaces an old target, the second is
  // new, the third is left to succeed.
  void RunThreeMappings() {
    this->host_.lines.clear();
    for (const char* line : {"@/dst = @/src", "@/dst-nuevo = @/nuevo", "@/dst-otro = @/otro"})
      this->host_.lines.push_back(this->Expand(line));
    faultyEngine_.CopyBtnClick();
  }
  std::string CopyError(const std::string& relative) const {
    return "ERROR: No se pudo copiar el archivo " + this->P(relative);
  }
  void ExpectFailedAndUntouched(int failed) {
    EXPECT_EQ(this->tree_.Read("dst/a.txt"), "dst/a.txt");
    EXPECT_EQ(this->tree_.List("dst"), Names{"a.txt"});
    EXPECT_EQ(faultyEngine_.Counters().fallidos, failed);
    EXPECT_EQ(this->tree_.Read("dst-otro/b.txt"), "otro/b.txt");
  }

  FaultyFileSystem faulty_{*this->fs_};
  Distribuidor faultyEngine_{this->host_, faulty_};
};

class Faults : public FaultsOn<EngineFixture> {};
class FaultsInMemory : public FaultsOn<MemoryEngineFixture> {};

class CopyStepFault : public Faults, public ::testing::WithParamInterface<Operation> {};

TEST_P(CopyStepFault, KeepsTheOldTargetAndLeavesNoTemporaryFile) {
  // The copies of a.txt and c.txt fail, whichever of the mappings that
  // run side by side comes to its copy first.
  const bool bySource = GetParam() == Operation::kOpenSource;
  faulty_.FailFor(GetParam(), P(bySource ? "src/a.txt" : "dst/a.txt"));
  faulty_.FailFor(GetParam(), P(bySource ? "nuevo/c.txt" : "dst-nuevo/c.txt"));
  const int descriptors = OpenDescriptors();
  RunThreeMappings();
  EXPECT_EQ(OpenDescriptors(), descriptors);  // every temporary file was closed
  ExpectFailedAndUntouched(2);
  EXPECT_TRUE(tree_.List("dst-nuevo").empty());
  EXPECT_EQ(host_.messages, (Names{CopyError("src/a.txt"), CopyError("nuevo/c.txt")}));
  // Each message gives the reason the step failed with.
  const std::map<Operation, std::string> reasons = {
      {Operation::kOpenSource, fs_->ErrorText(EACCES)},
      {Operation::kCreateTemporary, fs_->ErrorText(ENOSPC)},
      {Operation::kCopyContents, fs_->ErrorText(ENOSPC)},
      {Operation::kSourceUnchanged, "el archivo cambió mientras se copiaba"},
      {Operation::kCopyStampAndMode, fs_->ErrorText(EPERM)},
      {Operation::kCloseTemporary, fs_->ErrorText(EIO)},
      {Operation::kReplaceTarget, fs_->ErrorText(EACCES)},
  };
  EXPECT_EQ(host_.reasons, Names(2, reasons.at(GetParam())));
  EXPECT_EQ(faultyEngine_.Counters().hechos, 1);
  EXPECT_EQ(host_.status[1], "Archs (3): 1 copias, 2 fallos.");
  // The old target kept its stamp, so the next run tries again.
  faulty_.Heal();
  host_.messages.clear();
  RunThreeMappings();
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(tree_.Read("dst/a.txt"), std::string(200000, 'x'));
  EXPECT_EQ(tree_.List("dst-nuevo"), Names{"c.txt"});
}

INSTANTIATE_TEST_SUITE_P(EveryStep, CopyStepFault,
                         ::testing::Values(Operation::kOpenSource, Operation::kCreateTemporary,
                                           Operation::kCopyContents,
                                           Operation::kSourceUnchanged,
                                           Operation::kCopyStampAndMode,
                                           Operation::kCloseTemporary,
                                           Operation::kReplaceTarget));

// A run forces its copies' data to the disk once per file system, before
// its summary, and not at all when it copied nothing; a failure names the
// folder, gives the reason and counts.
TEST_F(FaultsInMemory, ARunSyncsEachFileSystemItCopiedToOnce) {
  Names synced;
  faulty_.beforeCall = [&](Operation operation, const std::string& path) {
    if (operation == Operation::kSyncVolume)
      synced.push_back(path);
  };
  RunThreeMappings();  // three destinations on one file system
  EXPECT_EQ(synced, Names{P("dst")});
  RunThreeMappings();
  EXPECT_EQ(synced.size(), 1u);
  tree_.Add("otro/d.txt 2022-01-01 00:00:00");
  faulty_.FailOn(Operation::kSyncVolume, 2);
  RunThreeMappings();
  EXPECT_EQ(synced, (Names{P("dst"), P("dst-otro")}));
  EXPECT_EQ(host_.messages,
            Names{"ERROR: No se pudieron guardar en el disco los datos copiados a " + P("dst-otro")});
  EXPECT_EQ(host_.reasons, Names{fs_->ErrorText(EIO)});
  EXPECT_EQ(host_.status[1], "Archs (4): 1 copias, 1 fallos.");
}

// The steps of two copies may come in turn on one instance: each copy keeps
// what it saw of its own source.
TEST_F(Faults, TheStepsOfTwoCopiesInTurnKeepEachItsOwnSource) {
  tree_.Add("src/b.txt 2021-05-06 07:08:10");
  FileCopy big, small;
  big.source = P("src/a.txt");
  big.target = P("dst/a.txt");
  small.source = P("src/b.txt");
  small.target = P("dst/b.txt");
  ASSERT_TRUE(fs_->OpenSource(big) && fs_->OpenSource(small));
  ASSERT_TRUE(fs_->CreateTemporary(big) && fs_->CreateTemporary(small));
  EXPECT_TRUE(fs_->CopyContents(small, nullptr) && fs_->CopyContents(big, nullptr));
  EXPECT_TRUE(fs_->SourceUnchanged(big) && fs_->SourceUnchanged(small));
  EXPECT_TRUE(fs_->CopyStampAndMode(big) && fs_->CopyStampAndMode(small));
  EXPECT_TRUE(fs_->CloseTemporary(small) && fs_->CloseTemporary(big));
  EXPECT_TRUE(fs_->ReplaceTarget(big, true) && fs_->ReplaceTarget(small, false));
  fs_->CloseSource(big);
  fs_->CloseSource(small);
  for (const char* name : {"a.txt", "b.txt"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(tree_.Read(std::string("dst/") + name), tree_.Read(std::string("src/") + name));
    EXPECT_EQ(tree_.Stamp(std::string("dst/") + name), tree_.Stamp(std::string("src/") + name));
  }
  EXPECT_EQ(tree_.List("dst"), (Names{"a.txt", "b.txt"}));
}

// A folder that another run makes between the look-up and the creation, at
// the top of a mapping or inside a folder this run made, is taken as it is
// and filled.
TEST_F(FaultsInMemory, AFolderThatAnotherRunMakesMeanwhileIsFilled) {
  tree_.Add("src/sub/d.txt 2022-01-01 00:00:00");
  for (const char* folder : {"dst-nuevo", "dst-nuevo/sub"}) {
    SCOPED_TRACE(folder);
    faulty_.beforeCall = [&](Operation operation, const std::string& path) {
      if (operation == Operation::kCreateDirectory && path == P(folder))
        tree_.Add(std::string(folder) + "/");
    };
    host_.lines = {Expand("@/dst-nuevo = @/src")};
    faultyEngine_.CopyBtnClick();
    EXPECT_EQ(tree_.Read("dst-nuevo/sub/d.txt"), "src/sub/d.txt");
    EXPECT_EQ(faultyEngine_.Counters().fallidos, 0);
    tree_.Remove("dst-nuevo");
  }
}

TEST_F(FaultsInMemory, ASourceThatVanishesAfterTheScanFailsAlone) {
  faulty_.beforeCall = [this](Operation operation, const std::string& path) {
    if (operation == Operation::kOpenSource && path == P("src/a.txt"))
      tree_.Remove("src/a.txt");
  };
  RunThreeMappings();
  ExpectFailedAndUntouched(1);
  EXPECT_EQ(host_.messages, Names{CopyError("src/a.txt")});
}

// In a folder the run made as in one that was there.
TEST_F(Faults, AFileThatAppearsBeforeTheRenameIsNeverOverwritten) {
  tree_.Add("src/d.txt 2022-01-01 00:00:00");
  faulty_.beforeCall = [this](Operation operation, const std::string& target) {
    for (const char* appearing : {"dst-nuevo/c.txt", "dst/d.txt"})
      if (operation == Operation::kReplaceTarget && target == P(appearing))
        tree_.Write(appearing, "written meanwhile");
  };
  RunThreeMappings();
  EXPECT_EQ(tree_.Read("dst-nuevo/c.txt"), "written meanwhile");
  EXPECT_EQ(tree_.List("dst-nuevo"), Names{"c.txt"});
  EXPECT_EQ(tree_.Read("dst/d.txt"), "written meanwhile");
  EXPECT_EQ(host_.messages, (Names{CopyError("src/d.txt"), CopyError("nuevo/c.txt")}));
  EXPECT_EQ(tree_.Read("dst/a.txt"), std::string(200000, 'x'));  // an old target is replaced
}

// Another run copying the same files at once is first to some targets: its
// copy of the same source is the work done, anything else is kept.
TEST_F(Faults, AnotherRunsCopyThatAppearsBeforeTheRenameCountsAsDone) {
  tree_.Add("src/d.txt 2022-01-01 00:00:00");
  tree_.Add("src/e.txt 2022-01-01 00:00:00");
  faulty_.beforeCall = [this](Operation operation, const std::string& target) {
    const std::vector<std::pair<std::string, std::string>> firstCopies = {
        {"nuevo/c.txt", "dst-nuevo/c.txt"}, {"src/d.txt", "dst/d.txt"}};
    for (const auto& [source, copy] : firstCopies)
      if (operation == Operation::kReplaceTarget && target == P(copy)) {
        std::filesystem::copy_file(P(source), P(copy));
        std::filesystem::last_write_time(P(copy), std::filesystem::last_write_time(P(source)));
      }
    if (operation == Operation::kReplaceTarget && target == P("dst/e.txt"))
      tree_.Write("dst/e.txt", "src/e.txt");  // the same bytes, a time of now
  };
  RunThreeMappings();
  EXPECT_EQ(host_.messages, Names{CopyError("src/e.txt")});
  EXPECT_EQ(host_.status[1], "Archs (5): 4 copias, 1 fallos.");
  EXPECT_EQ(tree_.List("dst"), (Names{"a.txt", "d.txt", "e.txt"}));
  EXPECT_EQ(tree_.List("dst-nuevo"), Names{"c.txt"});
}

// A file whose state the system cannot give (a share that does not answer)
// is a failure with its name and reason, on the source side as on the
// target side, and is neither listed as missing nor copied over.
TEST_F(FaultsInMemory, AFileThatCannotBeExaminedIsAFailureWithItsReason) {
  tree_.Add("src/d.txt 2022-01-01 00:00:00");
  const std::string reason = fs_->ErrorText(EIO);
  const std::string unseen = "ERROR: No se pudo examinar el archivo ";
  struct Case {
    Operation operation;
    const char* path;
    bool listing;
    const char* summary;
  } cases[] = {
      {Operation::kExamine, "src/a.txt", false, "Archs (3): 3 copias, 1 fallos."},
      {Operation::kExamine, "src/a.txt", true, "Archs (3): 3 exitos, 1 fallos."},
      {Operation::kFileAge, "dst/a.txt", false, "Archs (4): 3 copias, 1 fallos."},
      {Operation::kFileAge, "dst/a.txt", true, "Archs (4): 3 exitos, 1 fallos."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path) + (c.listing ? " listed" : " copied"));
    tree_.Remove("dst-nuevo");
    tree_.Remove("dst-otro");
    tree_.Remove("dst/d.txt");
    host_.messages.clear();
    host_.reasons.clear();
    host_.options.listado = c.listing;
    FaultyFileSystem faulty(*fs_);
    Distribuidor engine(host_, faulty);
    faulty.FailFor(c.operation, P(c.path));
    host_.lines = {Expand("@/dst = @/src"), Expand("@/dst-nuevo = @/nuevo"),
                   Expand("@/dst-otro = @/otro")};
    engine.CopyBtnClick();
    EXPECT_EQ(host_.messages, Names{unseen + P(c.path)});
    EXPECT_EQ(host_.reasons, Names{reason});
    EXPECT_EQ(host_.status[1], c.summary);
    EXPECT_EQ(tree_.Read("dst/a.txt"), "dst/a.txt");
    for (const ResultRow& row : host_.Rows())
      EXPECT_NE(row[2], "a");
  }
}

// A scan that stops early (an unreadable directory, or a read error part of
// the way) is one failure of its directory; what it read is handled.
TEST_F(FaultsInMemory, ADirectoryThatCannotBeReadToItsEndIsAFailureAndTheWalkGoesOn) {
  tree_.Add("src/sub/b.txt 2022-01-01 00:00:00");
  tree_.Add("src/sub/c.txt 2022-01-01 00:00:00");
  tree_.Add("src/sub/hondo/c.txt 2022-01-01 00:00:00");
  faulty_.beforeCall = [this](Operation operation, const std::string& pattern) {
    if (operation == Operation::kScan && pattern.starts_with(Expand("@/src/sub/*")))
      faulty_.FailOn(Operation::kScan, faulty_.Calls(Operation::kScan) + 1);
  };
  RunThreeMappings();
  EXPECT_EQ(host_.messages,
            Names{"ERROR: No se ha podido leer el directorio " + P("src/sub") + "."});
  EXPECT_EQ(tree_.Read("dst/a.txt"), std::string(200000, 'x'));
  EXPECT_EQ(tree_.List("dst/sub"), Names{"b.txt"});  // what the scan read
  EXPECT_EQ(tree_.Read("dst-otro/b.txt"), "otro/b.txt");
  EXPECT_EQ(faultyEngine_.Counters().fallidos, 1);
  // A mapping's own source, and a directory that is merely empty.
  tree_.Add("vacio/");
  host_.messages.clear();
  faulty_.beforeCall = nullptr;
  faulty_.FailFor(Operation::kScan, Expand("@/src/*.txt"));
  host_.lines = {Expand("@/dst = @/src/*.txt"), Expand("@/dst-vacio = @/vacio")};
  faultyEngine_.CopyBtnClick();
  EXPECT_EQ(host_.messages,
            Names{"ERROR: No se ha podido leer el directorio " + P("src") + "."});
  EXPECT_EQ(host_.status[1], "Archs (0): 0 copias, 1 fallos.");
}

// The source read to its end, yet not as it was when opened: the copy
// fails, the old target stays whole and the next run copies it again.
TEST_F(Faults, ASourceThatChangesWhileCopiedFailsItsCopy) {
#ifdef _WIN32
  GTEST_SKIP() << "a source being copied is open without write sharing";
#endif
  const std::string source = P("src/a.txt");
  const std::vector<std::pair<Operation, std::function<void()>>> changes = {
      {Operation::kSourceUnchanged, [&] { tree_.Write("src/a.txt", std::string(200001, 'y')); }},
      {Operation::kCopyContents, [&] { std::filesystem::resize_file(source, 100); }},
      {Operation::kSourceUnchanged,
       [&] {  // the same size, a new time within the same two-second slot
         tree_.Write("src/a.txt", std::string(200000, 'z'));
         tree_.SetStamp("src/a.txt", "2022-01-01 00:00:01");
       }},
      {Operation::kSourceUnchanged,
       [&] {  // the same size, a time half a second on
         tree_.Write("src/a.txt", std::string(200000, 'n'));
         tree_.SetStamp("src/a.txt", "2022-01-01 00:00:00");
         std::filesystem::last_write_time(
             source, std::filesystem::last_write_time(source) + std::chrono::milliseconds(500));
       }},
  };
  for (const auto& [operation, change] : changes) {
    tree_.Write("src/a.txt", std::string(200000, 'x'));
    tree_.SetStamp("src/a.txt", "2022-01-01 00:00:00");
    tree_.Write("dst/a.txt", "dst/a.txt");
    tree_.SetStamp("dst/a.txt", "2020-01-01 00:00:00");
    host_.messages.clear();
    faulty_.beforeCall = [&, operation = operation, change = change](Operation called,
                                                                     const std::string&) {
      if (called == operation)
        change();
    };
    RunThreeMappings();
    SCOPED_TRACE(int(operation));
    ExpectFailedAndUntouched(1);
    EXPECT_EQ(host_.messages, Names{CopyError("src/a.txt")});
    faulty_.beforeCall = nullptr;
    RunThreeMappings();
    EXPECT_EQ(tree_.Read("dst/a.txt"), tree_.Read("src/a.txt"));
  }
}

TEST_F(FaultsInMemory, AListingSkipsADestinationItCannotCreate) {
  tree_.Add("src/sub/b.txt 2022-01-01 00:00:00");
  faulty_.FailFor(Operation::kCreateDirectory, P("dst/sub"));
  host_.options.listado = true;
  RunThreeMappings();
  EXPECT_EQ(host_.messages,
            Names{"ERROR: No se ha podido crear el directorio " + P("dst/sub") + "."});
  EXPECT_EQ(host_.rows.size(), 3u);  // a.txt, c.txt and b.txt of the others
  EXPECT_FALSE(tree_.Exists("dst/sub"));
}

}  // namespace
}  // namespace trasvex::test
