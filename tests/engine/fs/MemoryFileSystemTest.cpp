// SPDX-License-Identifier: GPL-3.0-or-later
// The memory file system that the walk's tests run on answers as the
// platform's backend does on the disk, and does a copy in the backend's
// order: a temporary file beside the target, then the rename.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "EngineFixture.h"
#include "MemoryTree.h"
#include "TempTree.h"

namespace trasvex::test {
namespace {

using Names = std::vector<std::string>;

const Names kDescription = {
    "a.txt 2020-01-02 10:00:01 5", "B.TXT 2043-12-31 23:59:59", "leer.doc 2021-06-30 12:00:00",
    ".oculto 2020-01-02 10:00:00", "sub/c.txt 2022-03-04 05:06:07", "sub.txt/", ".escondida/",
};

// What a scan of |pattern| in |tree| gives, each entry as one text, sorted.
template <class Tree>
Names Scanned(const std::string& pattern, unsigned attributeSet) {
  Tree tree(kDescription);
  tree.SetReadOnly("leer.doc");
  for (const char* folder : {"sub/", "sub.txt/", ".escondida/"})
    tree.SetStamp(folder, "2020-05-06 07:08:10");
  const std::unique_ptr<FileSystem> fs = tree.OpenFileSystem();
  std::vector<SearchEntry> entries;
  EXPECT_TRUE(fs->Scan(tree.Path(pattern), attributeSet, entries));
  Names scanned;
  for (const SearchEntry& entry : entries) {
    if (entry.IsDotOrDotDot())  // their stamps are those of the tree's making
      continue;
    std::string& text = scanned.emplace_back(entry.name);
    for (const std::int64_t field : {std::int64_t(entry.attributes), entry.size,
                                     std::int64_t(entry.stamp)})
      text += " " + std::to_string(field);
#ifndef _WIN32  // the Windows backend counts its instants from 1601
    text += " " + std::to_string(entry.instant);
#endif
  }
  std::sort(scanned.begin(), scanned.end());
  return scanned;
}

TEST(MemoryFiles, AScanAnswersAsTheBackendOnTheDisk) {
  const struct {
    const char* pattern;
    unsigned attributeSet;
  } cases[] = {
      {"*.*", kFilesAndDirectories},
      {"*.*", kDirectories},
      {"*.*", kFilesAndDirectories | kHidden},
      {"*.txt", kFilesAndDirectories},
      {"sub/*", kReadOnly},
      {"falta/*.*", kFilesAndDirectories},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(std::string(row.pattern) + " " + std::to_string(row.attributeSet));
    EXPECT_EQ(Scanned<MemoryTree>(row.pattern, row.attributeSet),
              Scanned<TempTree>(row.pattern, row.attributeSet));
  }
}

// Targets a copy never replaces, and the look-ups of the walk.
TEST(MemoryFiles, LookUpsAndKeptTargetsAnswerAsTheBackendOnTheDisk) {
  const auto answers = [](auto& tree) {
    tree.SetReadOnly("leer.doc");
    const std::unique_ptr<FileSystem> fs = tree.OpenFileSystem();
    Names seen;
    for (const char* target : {"a.txt", "leer.doc", "sub", ".oculto", "nada.txt", "a.txt/x"}) {
      FileCopy copy;
      copy.target = tree.Path(target);
      seen.push_back(std::string(target) + " " + std::to_string(int(fs->CheckTarget(copy))) +
                     " " + std::to_string(fs->FileAge(tree.Path(target))) + " " +
                     std::to_string(fs->IsDirectory(tree.Path(target))));
    }
    return seen;
  };
  TempTree disk(kDescription);
  MemoryTree memory(kDescription);
  EXPECT_EQ(answers(memory), answers(disk));
}

class MemoryCopies : public MemoryEngineFixture {};

// A copy writes a temporary file beside its target and renames it; a target
// it never replaces gets no temporary file; the run ends with one sync.
TEST_F(MemoryCopies, ACopyGoesThroughATemporaryFileBesideItsTarget) {
  tree_.Add("src/a.txt 2022-01-01 00:00:00");
  tree_.Add("src/b.txt 2022-01-01 00:00:00");
  tree_.Add("dst/b.txt 2020-01-01 00:00:00");
  tree_.SetReadOnly("dst/b.txt");
  Run({"@/dst = @/src"});
  const std::string temporary = P("dst/.trasvex-1-1.tmp");
  EXPECT_EQ(tree_.Disk().Log(), (Names{"create " + temporary,
                                       "rename " + temporary + " -> " + P("dst/a.txt"),
                                       "sync " + P("dst")}));
  EXPECT_EQ(tree_.Read("dst/a.txt"), "src/a.txt");
  EXPECT_EQ(tree_.Stamp("dst/a.txt"), tree_.Stamp("src/a.txt"));
  EXPECT_EQ(host_.status[1], "Archs (2): 1 copias, 1 fallos.");
}

}  // namespace
}  // namespace trasvex::test
