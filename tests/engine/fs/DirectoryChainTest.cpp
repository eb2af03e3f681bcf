// SPDX-License-Identifier: GPL-3.0-or-later
// The handles a chain holds: few for a deep path, reused on the way back
// up, the right directory for a path beside, and no link followed below the
// root.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "EngineFixture.h"
#include "fs/DirectoryChain.h"

namespace trasvex::test {
namespace {

// True when |fd| is a handle of the directory |path|.
bool Names(int fd, const std::string& path) {
  struct stat held {}, named {};
  return fd != -1 && ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

using DirectoryChainTest = EngineFixture;

TEST_F(DirectoryChainTest, ADeepPathHoldsFewHandles) {
  std::string deep = "src";
  for (int level = 0; level < 300; ++level)
    deep += "/d";
  tree_.Add(deep + "/");
  const int before = OpenDescriptors();
  DirectoryChain chain;
  chain.SetRoot(P());
  EXPECT_TRUE(Names(chain.Open(P(deep)), P(deep)));
  EXPECT_LE(OpenDescriptors() - before, 64);
  chain.Clear();
  EXPECT_EQ(OpenDescriptors(), before);
}

// Each path opened after the one before: the handle is that directory's,
// and going up opens nothing.
TEST_F(DirectoryChainTest, UpBesideAndDownAgain) {
  for (const char* folder : {"a/b/c/", "a/bc/", "a/b2/c/", "x/"})
    tree_.Add(folder);
  struct Row {
    const char* path;
    int opened;  // descriptors more than before it
  };
  const Row rows[] = {
      {"a/b/c", 4},  // the root, then a name at a time
      {"a/b", -1},   // c is let go
      {"a", -1},
      {"a/bc", 1},
      {"a/b2/c", 1},  // bc is let go
      {"x", -2},
      {"", -1},
  };
  DirectoryChain chain;
  chain.SetRoot(P());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    const int before = OpenDescriptors();
    EXPECT_TRUE(Names(chain.Open(P(row.path)), P(row.path)));
    EXPECT_EQ(OpenDescriptors() - before, row.opened);
  }
}

TEST_F(DirectoryChainTest, NoLinkBelowTheRootIsFollowed) {
  tree_.Add("dst/sub/");
  tree_.Add("fuera/");
  ASSERT_EQ(::symlink(P("fuera").c_str(), P("dst/enlace").c_str()), 0);
  ASSERT_EQ(::symlink(P("dst").c_str(), P("raiz").c_str()), 0);
  DirectoryChain chain;
  chain.SetRoot(P("raiz"));  // the root itself may be a link
  EXPECT_TRUE(Names(chain.Open(P("raiz/sub")), P("dst/sub")));
  EXPECT_EQ(chain.Open(P("raiz/enlace")), -1);
  EXPECT_EQ(chain.Open(P("raiz/enlace/")), -1);
  chain.SetRoot("");
  EXPECT_TRUE(Names(chain.Open(P("raiz/enlace")), P("fuera")));
}

}  // namespace
}  // namespace trasvex::test
