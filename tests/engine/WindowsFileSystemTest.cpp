// What the Windows backend takes from the system: attributes, wide names,
// drive-letter paths and long paths.
#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "fs/WindowsApi.h"

namespace trasvex::test {
namespace {

using Names = std::vector<std::string>;

class WindowsFiles : public EngineFixture {
 protected:
  void SetAttributes(const std::string& relative, DWORD attributes) {
    ASSERT_TRUE(::SetFileAttributesW(WideText(P(relative)).c_str(), attributes));
  }
  DWORD Attributes(const std::string& relative) {
    return ::GetFileAttributesW(WideText(P(relative)).c_str());
  }
};

TEST_F(WindowsFiles, HiddenAndSystemEntriesAreNeverExamined) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add("src/oculto.txt 2020-01-01 00:00:00");
  tree_.Add("src/sistema.txt 2020-01-01 00:00:00");
  tree_.Add("src/dir/b.txt 2020-01-01 00:00:00");
  tree_.Add("src/dir-oculto/c.txt 2020-01-01 00:00:00");
  SetAttributes("src/oculto.txt", FILE_ATTRIBUTE_HIDDEN);
  SetAttributes("src/sistema.txt", FILE_ATTRIBUTE_SYSTEM);
  SetAttributes("src/dir-oculto", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(ScanNames(P("src/*.*"), kFilesAndDirectories), (Names{".", "..", "a.txt", "dir"}));
  EXPECT_EQ(ScanNames(P("src/*.*"), kFilesAndDirectories | kHidden | kSystem),
            (Names{".", "..", "a.txt", "dir", "dir-oculto", "oculto.txt", "sistema.txt"}));
  Run({"@/dst = @/src"});
  EXPECT_EQ(tree_.List("dst"), (Names{"a.txt", "dir"}));
  EXPECT_EQ(Counters().examinados, 2);
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(WindowsFiles, TheCopyCarriesAttributesAndAReadOnlyOrHiddenTargetStays) {
  tree_.Add("src/lectura.txt 2020-01-02 03:04:05");
  tree_.Add("src/oculto.txt 2022-01-01 00:00:00");
  tree_.Add("dst/oculto.txt 2020-01-01 00:00:00");
  SetAttributes("src/lectura.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  SetAttributes("dst/oculto.txt", FILE_ATTRIBUTE_HIDDEN);
  Run({"@/dst = @/src"});
  EXPECT_EQ(Attributes("dst/lectura.txt") & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
            DWORD(FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(tree_.Stamp("dst/lectura.txt"), TempTree::LocalTime("2020-01-02 03:04:05"));
  EXPECT_EQ(tree_.Read("dst/oculto.txt"), "dst/oculto.txt");
  EXPECT_EQ(host_.messages,
            Names{"ERROR: No se pudo copiar el archivo " + P("src/oculto.txt")});
  // The read-only copy is not replaced by a later run either.
  tree_.SetStamp("src/lectura.txt", "2023-01-01 00:00:00");
  Run({"@/dst = @/src"});
  EXPECT_EQ(Counters().fallidos, 2);
  EXPECT_EQ(tree_.Stamp("dst/lectura.txt"), TempTree::LocalTime("2020-01-02 03:04:05"));
  EXPECT_EQ(tree_.List("dst"), (Names{"lectura.txt", "oculto.txt"}));  // no temporary left
}

TEST_F(WindowsFiles, ALinkToAFileIsThatFileALinkToADirectoryIsSystem) {
  tree_.Add("src/real/a.txt 2020-01-01 00:00:00");
  tree_.Add("fuera.txt 2021-06-01 00:00:00");
  constexpr DWORD kUnprivileged = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
  ::CreateSymbolicLinkW(WideText(P("src/enlace")).c_str(), WideText(P("src/real")).c_str(),
                        SYMBOLIC_LINK_FLAG_DIRECTORY | kUnprivileged);
  ::CreateSymbolicLinkW(WideText(P("src/enlace.txt")).c_str(), WideText(P("fuera.txt")).c_str(),
                        kUnprivileged);
  if (!tree_.Exists("src/enlace") || !tree_.Exists("src/enlace.txt"))
    GTEST_SKIP() << "links cannot be created here (no privilege, or Wine)";
  EXPECT_EQ(ScanNames(P("src/*.*"), kFilesAndDirectories),
            (Names{".", "..", "enlace.txt", "real"}));
  Run({"@/dst = @/src"});
  EXPECT_EQ(tree_.List("dst"), (Names{"enlace.txt", "real"}));
  EXPECT_EQ(tree_.Read("dst/enlace.txt"), "fuera.txt");
  List({"@/dst = @/src"});
  EXPECT_TRUE(host_.rows.empty());  // the link's stamp is its file's
}

TEST_F(WindowsFiles, NoLinkBelowADestinationIsFollowed) {
  tree_.Add("src/sub/b.txt 2020-01-01 00:00:00");
  tree_.Add("dst/");
  tree_.Add("fuera/");
  ::CreateSymbolicLinkW(WideText(P("dst/sub")).c_str(), WideText(P("fuera")).c_str(),
                        SYMBOLIC_LINK_FLAG_DIRECTORY |
                            SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  if (!tree_.Exists("dst/sub"))
    GTEST_SKIP() << "links cannot be created here (no privilege, or Wine)";
  Run({"@/dst = @/src"});
  EXPECT_TRUE(tree_.List("fuera").empty());
  EXPECT_EQ(host_.messages,
            Names{"ERROR: No se ha podido crear el directorio " + P("dst/sub") + "."});
  EXPECT_EQ(Counters().fallidos, 1);
}

TEST_F(WindowsFiles, NamesOutsideTheCodePageAreFoundAndCopied) {
  const std::string names[] = {"año.txt", "Ωμέγα.txt", "日本語.txt", "emoji-\xF0\x9F\x98\x80.txt"};
  for (const std::string& name : names)
    tree_.Add("src/" + name + " 2020-01-01 00:00:00");
  Run({"@/dst = @/src"});
  EXPECT_TRUE(host_.messages.empty());
  for (const std::string& name : names)
    EXPECT_EQ(tree_.Read("dst/" + name), "src/" + name);
  List({"@/dst2 = @/src/日本語.txt"});
  ASSERT_EQ(host_.rows.size(), 1u);
  EXPECT_EQ(host_.rows.at(1)[2], "日本語");
}

TEST_F(WindowsFiles, DriveLettersAndBackslashes) {
  tree_.Add("d/f.txt 2020-01-01 00:00:00");
  const std::string drive = P().substr(0, 3);  // "C:\"
  ASSERT_EQ(drive[1], ':');
  EXPECT_TRUE(fs_->IsDirectory(drive));
  EXPECT_TRUE(fs_->IsDirectory(P("d/")));
  EXPECT_TRUE(fs_->IsDirectory(P("d//")));
  EXPECT_FALSE(fs_->IsDirectory(P("d/f.txt")));
  EXPECT_TRUE(fs_->FileExists(P("d//f.txt")));
  EXPECT_TRUE(fs_->FileExists(P("d/F.TXT")));  // names match without case
  EXPECT_TRUE(fs_->FileExists(P("d/*.txt")));  // the first entry that matches
  EXPECT_FALSE(fs_->FileExists(P("d")));
  EXPECT_EQ(ScanNames(P("d/*.TXT"), kFilesAndDirectories), Names{"f.txt"});
  List({"@/dst = @/d"});
  ASSERT_EQ(host_.rows.size(), 1u);
  EXPECT_EQ(host_.rows.at(1)[1], P("d"));
  EXPECT_NE(P("d").find("\\d"), std::string::npos);
}

// Far deeper than MAX_PATH allows (Wine, resolving every component of a
// path on the host, makes each level slow: deeper trees take minutes there).
TEST_F(WindowsFiles, ATreeHundredsOfLevelsDeepIsCopied) {
  constexpr int kLevels = 300;
  std::string deep;
  for (int level = 0; level < kLevels; ++level)
    deep += "/d";
  tree_.Add("src/");
  std::string directory = P("src");
  for (int level = 0; level < kLevels; ++level)
    ASSERT_TRUE(fs_->CreateDirectory(directory += "\\d", "")) << level;
  tree_.Write("src" + deep + "/hoja.txt", "hoja");
  Run({"@/dst = @/src"});
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(Counters().hechos, 1);
  EXPECT_EQ(tree_.Read("dst" + deep + "/hoja.txt"), "hoja");
  List({"@/dst = @/src"});
  EXPECT_TRUE(host_.rows.empty());
}

// The walk recurses once per level, and a path of 32,767 characters holds
// over 16,000 levels: the main thread must reserve far more than the default
// 1 MiB of stack for them.
TEST_F(WindowsFiles, AFileAnotherProgramIsWritingIsNotRead) {
  tree_.Add("lista.rtf 2020-01-01 00:00:00");
  std::string bytes;
  EXPECT_TRUE(fs_->ReadWholeFile(P("lista.rtf"), bytes));
  const HANDLE writer = ::CreateFileW(WideText(P("lista.rtf")).c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(fs_->ReadWholeFile(P("lista.rtf"), bytes));
  ::CloseHandle(writer);
  EXPECT_TRUE(fs_->ReadWholeFile(P("lista.rtf"), bytes));
}

TEST_F(WindowsFiles, TheMainThreadHasStackForTheDeepestTree) {
  ULONG_PTR low = 0, high = 0;
  ::GetCurrentThreadStackLimits(&low, &high);
  EXPECT_GE(high - low, ULONG_PTR(32) << 20);
}

}  // namespace
}  // namespace trasvex::test
