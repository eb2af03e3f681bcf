// SPDX-License-Identifier: GPL-3.0-or-later
// What the Windows backend takes from the system: attributes, wide names,
// drive-letter paths and long paths; and the system's text for limits and for
// the console; temporary files and what the console's handler does with
// them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "EngineFixture.h"
#include "FaultyFileSystem.h"
#include "console/WideConsoleBuffer.h"
#include "fs/TemporaryCleanup.h"
#include "fs/TemporaryName.h"
#include "text/SystemCodePage.h"
#include "windows/WindowsApi.h"

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

// A target that a copy never replaces: its reason says which kind it is,
// the first of folder, hidden and read-only that it is.
TEST_F(WindowsFiles, AKeptTargetTellsWhyItIsKept) {
  const struct {
    const char* name;
    DWORD attributes;
    const char* reason;
  } cases[] = {
      {"carpeta.txt", FILE_ATTRIBUTE_DIRECTORY, "el destino es una carpeta"},
      {"sistema.txt", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN, "el destino está oculto"},
      {"oculto.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY, "el destino está oculto"},
      {"lectura.txt", FILE_ATTRIBUTE_READONLY, "el destino es de solo lectura"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    const std::string name = row.name;
    tree_.Add("src/" + name + " 2022-01-01 00:00:00");
    const bool folder = row.attributes == FILE_ATTRIBUTE_DIRECTORY;
    tree_.Add("dst/" + name + (folder ? "/" : " 2020-01-01 00:00:00"));
    if (!folder)
      SetAttributes("dst/" + name, row.attributes);
    host_.messages.clear();
    host_.reasons.clear();
    Run({"@/dst = @/src/" + name});
    EXPECT_EQ(host_.messages, Names{"ERROR: No se pudo copiar el archivo " + P("src/" + name)});
    EXPECT_EQ(host_.reasons, Names{row.reason});
    if (!folder) {
      EXPECT_EQ(tree_.Read("dst/" + name), "dst/" + name);
    }
  }
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

// The names a scan finds are joined to the folder it scanned, however its
// path was written.
TEST_F(WindowsFiles, ASlashSeparatesAsABackslashDoes) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add("src/sub/a.txt 2020-01-01 00:00:00");
  std::string slashed = P("src");
  std::replace(slashed.begin(), slashed.end(), '\\', '/');  // "C:/.../src"
  host_.lines = {P("d1") + " = " + P("src") + "\\sub/*.txt",
                 "sub/*.txt", P("d2") + " = " + P("src"),
                 "", P("d3") + " = " + slashed + "/sub/*.txt"};
  engine_.CopyBtnClick();
  EXPECT_TRUE(host_.messages.empty());
  for (const std::string destination : {"d1", "d2", "d3"})
    EXPECT_EQ(tree_.Read(destination + "/a.txt"), "src/sub/a.txt") << destination;
}

// The limits of a line and of each side count the bytes of the system's
// 8-bit code page, never splitting a character.
TEST_F(WindowsFiles, TextLimitsCountCodePageBytes) {
  EXPECT_EQ(CodePageLength("日本語", 932), 6u);
  EXPECT_EQ(CodePageLength("café", 1252), 4u);
  EXPECT_EQ(CodePageLength("日本語", 1252), 9u);  // not held there: its UTF-8 bytes
  EXPECT_EQ(CodePageLength("a\xF0\x9F\x98\x80", 932), 5u);
  EXPECT_EQ(CodePageLength("a\xFF\xFE", 932), 3u);  // not UTF-8
  EXPECT_EQ(CodePageLength("café", CP_UTF8), 5u);
  // 94 characters: 173 bytes in code page 932, 264 in UTF-8.
  std::string line;
  for (int i = 0; i < 91; ++i)
    line += i == 45 ? " = 本" : "本";
  const TextLength cp932 = [](std::string_view text) { return CodePageLength(text, 932); };
  EXPECT_EQ(CutText(line, kMaxText, cp932), line);
  std::string many;
  for (int i = 0; i < 200; ++i)
    many += "本";
  EXPECT_EQ(CutText(many, kMaxText, cp932), many.substr(0, 127 * 3));

  // A mapping line that fits in the system code page is read whole.
  if (CodePageLength("\xC3\xA9") != 1)
    GTEST_SKIP() << "the ANSI code page here has no one-byte 'e' with acute";
  // Two levels, since a level of the host's file system under Wine holds
  // only 255 bytes of UTF-8.
  const std::size_t root = P().size();
  ASSERT_LT(root, 70u);
  std::string name;
  for (std::size_t i = 0; i < 100 + 1 + 146 - 2 * root; ++i)
    name += i == 100 ? "/" : "\xC3\xA9";
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add(name.substr(0, name.find('/') + 1));
  host_.lines = {P(name) + " = " + P("src")};
  ASSERT_EQ(CodePageLength(host_.lines[0]), kMaxText);
  ASSERT_GT(host_.lines[0].find('='), kMaxText);
  engine_.CopyBtnClick();
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(tree_.Read(name + "/a.txt"), "src/a.txt");
}

// Makes a folder the current one while it lives.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::string& folder) {
    ::GetCurrentDirectoryW(MAX_PATH, saved_);
    entered_ = ::SetCurrentDirectoryW(WideText(folder).c_str());
  }
  ~CurrentFolder() { ::SetCurrentDirectoryW(saved_); }
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;
  bool Entered() const { return entered_; }

 private:
  wchar_t saved_[MAX_PATH] = {};
  bool entered_ = false;
};

// The "\\?\" prefix is due from the length of a path's full form on, however
// short the path as written.
TEST_F(WindowsFiles, APathIsPrefixedFromTheLengthOfItsFullForm) {
  const std::string folder(214 - P("c").size() + 1, 'c');
  const std::string source(40, 'o'), destination(40, 'd');
  tree_.Add(folder + "/" + source + "/a.txt 2020-01-01 00:00:00");
  const std::wstring deep = WideText(P(folder));
  ASSERT_EQ(deep.size(), 214u);
  const std::wstring share = LR"(\\servidor\recurso\)" + std::wstring(250, L'n');
  EXPECT_EQ(ApiPath(Utf8Text(share)), LR"(\\?\UNC\servidor\recurso\)" + std::wstring(250, L'n'));
  CurrentFolder current(P(folder));
  ASSERT_TRUE(current.Entered());
  EXPECT_EQ(ApiPath("a.txt"), L"a.txt");  // 220 characters in full
  EXPECT_EQ(ApiPath(source + "\\a.txt"), LR"(\\?\)" + deep + L"\\" + WideText(source) + L"\\a.txt");
  EXPECT_EQ(ApiPattern(source + "\\*."), LR"(\\?\)" + deep + L"\\" + WideText(source) + L"\\*.");
  Run({destination + " = " + source});
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(tree_.Read(folder + "/" + destination + "/a.txt"), folder + "/" + source + "/a.txt");
}

// Text for a console window reaches it as UTF-16, whole characters at a
// time; a file, a pipe or a device is no console and keeps its UTF-8.
TEST_F(WindowsFiles, AConsoleShowsEveryCharacterFilesAndPipesGetUtf8) {
  EXPECT_FALSE(WideConsoleBuffer::IsConsole(nullptr));
  EXPECT_FALSE(WideConsoleBuffer::IsConsole(INVALID_HANDLE_VALUE));
  HANDLE read, write;
  ASSERT_TRUE(::CreatePipe(&read, &write, nullptr, 0));
  EXPECT_FALSE(WideConsoleBuffer::IsConsole(write));
  ::CloseHandle(read);
  ::CloseHandle(write);
  for (const std::wstring& name : {std::wstring(L"NUL"), WideText(P("salida.txt"))}) {
    const HANDLE file =
        ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WideConsoleBuffer::IsConsole(file));
    ::CloseHandle(file);
  }

  // A screen buffer of its own, never shown: the console is left as it was.
  const HANDLE screen = ::CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                    CONSOLE_TEXTMODE_BUFFER, nullptr);
  if (screen == INVALID_HANDLE_VALUE)
    GTEST_SKIP() << "no console here (Wine gives one only under a terminal)";
  EXPECT_TRUE(WideConsoleBuffer::IsConsole(screen));
  WideConsoleBuffer buffer(screen);
  std::ostream out(&buffer);
  out << "caf\xC3" << std::flush << "\xA9 日本" << std::flush;  // 'é' split in two writes
  wchar_t shown[8] = {};
  DWORD got = 0;
  ::ReadConsoleOutputCharacterW(screen, shown, 7, COORD{0, 0}, &got);
  EXPECT_EQ(std::wstring(shown, got), L"café 日本");
  ::CloseHandle(screen);
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

// Before its first copy into a folder, each run removes the temporary files
// that ended processes left there, hidden and read-only as they may be;
// those of running processes stay, and so do names that only look alike.
TEST_F(WindowsFiles, ARunRemovesTheTemporaryFilesOfEndedProcessesOnly) {
  constexpr DWORD kEnded = 999999996;
  if (const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, kEnded)) {
    ::CloseHandle(process);
    GTEST_SKIP() << "a process runs with the id " << kEnded;
  }
  // Another process that runs meanwhile: this program, held before it starts.
  wchar_t self[MAX_PATH];
  std::wstring command(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION other{};
  ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                               nullptr, nullptr, &startup, &other));
  const std::string stale = TemporaryName::Make(kEnded, 1);
  const std::string own = TemporaryName::Make(::GetCurrentProcessId(), 999999);
  const std::string running = TemporaryName::Make(other.dwProcessId, 1);
  const std::string alike = ".trasvex-" + std::to_string(kEnded) + "-x.tmp";
  Names kept{alike, own, running, "a.txt"};
  std::sort(kept.begin(), kept.end());
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add("dst/");
  for (const std::string& name : {stale, own, running, alike})
    tree_.Write("dst/" + name, "x");
  for (const char* copied : {"2021-01-01 00:00:00", "2022-01-01 00:00:00"}) {
    SCOPED_TRACE(copied);
    SetAttributes("dst/" + stale, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    tree_.SetStamp("src/a.txt", copied);
    Run({"@/dst = @/src"});
    EXPECT_EQ(tree_.List("dst"), kept);
    tree_.Write("dst/" + stale, "x");  // left by a run that ended between the two
  }
  ::TerminateProcess(other.hProcess, 0);
  ::CloseHandle(other.hThread);
  ::CloseHandle(other.hProcess);
}

// Another run's copy: a file of the size and write time that the source had
// when it was opened.
TEST_F(WindowsFiles, ATargetIsTheSourcesCopyWithItsKindSizeAndWriteTime) {
  for (const char* entry :
       {"src/vacio.txt 2020-01-01 00:00:00 0", "dst/igual.txt 2020-01-01 00:00:00 0",
        "dst/otra-hora.txt 2020-01-01 00:00:02 0", "dst/otro-largo.txt 2020-01-01 00:00:00 1",
        "dst/carpeta/"})
    tree_.Add(entry);
  tree_.SetStamp("dst/carpeta", "2020-01-01 00:00:00");
  FileCopy copy;
  copy.source = P("src/vacio.txt");
  ASSERT_TRUE(fs_->OpenSource(copy));
  for (const std::string target :
       {"igual.txt", "otra-hora.txt", "otro-largo.txt", "carpeta", "falta.txt"}) {
    SCOPED_TRACE(target);
    copy.target = P("dst/" + target);
    EXPECT_EQ(fs_->TargetMatchesSource(copy), target == "igual.txt");
  }
  fs_->CloseSource(copy);
}

// A name that the system cannot hold, or one below a file, names no file (a
// look-up that the system refuses, such as a share's that does not answer,
// cannot be made here: the fault tests cover it); the system's words for an
// error read as a sentence part.
TEST_F(WindowsFiles, NamesThatCannotBeAreNoFileAndErrorsHaveWords) {
  tree_.Add("a.txt 2020-01-01 00:00:00");
  for (const std::string& path : {P("falta.txt"), P("falta/a.txt"), P("a.txt/b.txt"),
                                  P("a|b.txt"), P(std::string(300, 'n') + ".txt")}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(fs_->FileAge(path), kNoFile);
  }
  EXPECT_NE(fs_->FileAge(P("a.txt")), kNoFile);
  for (const DWORD error : {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_BAD_NETPATH}) {
    const std::string text = fs_->ErrorText(int(error));
    SCOPED_TRACE(text);
    EXPECT_FALSE(text.empty() || text.starts_with("error ") || text.find('\n') != text.npos ||
                 text.ends_with('.') || text.ends_with(' ') || text.ends_with('\r'));
  }
}

// A copy that the system refuses carries the system's reason, from whichever
// step failed; a target that is kept, or a source that is no file, is no
// error of the system.
TEST_F(WindowsFiles, AFailedCopyCarriesTheSystemsReason) {
  using End = FileSystem::CopyEnd;
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add("src/carpeta/");
  tree_.Add("dst/lectura.txt 2019-01-01 00:00:00");
  SetAttributes("dst/lectura.txt", FILE_ATTRIBUTE_READONLY);
  const struct {
    const char* source;
    const char* target;
    bool targetAbsent;
    End end;
    DWORD error;
  } cases[] = {
      {"src/falta.txt", "dst/a.txt", false, End::kFailed, ERROR_FILE_NOT_FOUND},
      {"src/carpeta", "dst/carpeta", false, End::kFailed, 0},
      {"src/a.txt", "dst/lectura.txt", false, End::kKept, 0},
      {"src/a.txt", "falta/a.txt", false, End::kFailed, ERROR_PATH_NOT_FOUND},
      {"src/a.txt", "falta/a.txt", true, End::kFailed, ERROR_PATH_NOT_FOUND},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(std::string(row.source) + " -> " + row.target);
    const FileSystem::CopyResult copy = fs_->CopyFile(P(row.source), P(row.target),
                                                      row.targetAbsent);
    EXPECT_EQ(copy.end, row.end);
    EXPECT_EQ(DWORD(copy.error), row.error);
    if (copy.error != 0) {
      EXPECT_FALSE(fs_->ErrorText(copy.error).starts_with("error "));
    }
  }
  EXPECT_EQ(tree_.List("dst"), Names{"lectura.txt"});  // no temporary left
  EXPECT_EQ(tree_.Read("dst/lectura.txt"), "dst/lectura.txt");
}

// A file that appears at the target while the copy is made is not replaced:
// the rename is refused with the system's reason, unless that file is the
// source's copy (another run's).
TEST_F(WindowsFiles, AFileThatAppearedRefusesTheRenameWithItsReason) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add("otra.txt 2021-01-01 00:00:00");
  tree_.Add("dst/");
  for (const char* appeared : {"otra.txt", "src/a.txt"}) {
    SCOPED_TRACE(appeared);
    ::DeleteFileW(WideText(P("dst/a.txt")).c_str());
    FaultyFileSystem faulty(*fs_);
    faulty.beforeCall = [&](FaultyFileSystem::Operation operation, const std::string& target) {
      if (operation == FaultyFileSystem::Operation::kReplaceTarget)
        ::CopyFileW(WideText(P(appeared)).c_str(), WideText(target).c_str(), TRUE);
    };
    const FileSystem::CopyResult copy = faulty.CopyFile(P("src/a.txt"), P("dst/a.txt"));
    EXPECT_EQ(tree_.Read("dst/a.txt"), appeared);
    EXPECT_EQ(tree_.List("dst"), Names{"a.txt"});
    if (appeared == std::string("src/a.txt")) {
      EXPECT_EQ(copy.end, FileSystem::CopyEnd::kCopied);
      continue;
    }
    EXPECT_EQ(copy.end, FileSystem::CopyEnd::kFailed);
    EXPECT_TRUE(copy.error == ERROR_ALREADY_EXISTS || copy.error == ERROR_FILE_EXISTS)
        << copy.error;
  }
}

// The console's handler, in a process of its own that the console's default
// action then ends: the temporary file being written goes, and no copy
// starts afterwards.
using WindowsFilesDeathTest = WindowsFiles;

TEST_F(WindowsFilesDeathTest, TheConsoleHandlerLeavesNoTemporaryFile) {
  // The statement runs in a process of its own that runs this test again:
  // there it works on this process's tree.
  const wchar_t* parentTree = _wgetenv(L"TRASVEX_PARENT_TREE");
  const std::string root = parentTree ? Utf8Text(parentTree) : tree_.Root();
  if (!parentTree) {
    tree_.Add("src/a.txt 2020-01-01 00:00:00 300000");
    tree_.Add("src/b.txt 2020-01-01 00:00:00");
    tree_.Add("dst/");
    ::SetEnvironmentVariableW(L"TRASVEX_PARENT_TREE", WideText(root).c_str());
  }
  EXPECT_EXIT(
      {
        std::filesystem::remove(WideText(tree_.Root()));  // its own, unused and never removed
        FaultyFileSystem faulty(*fs_);
        faulty.beforeCall = [&](FaultyFileSystem::Operation operation, const std::string&) {
          if (operation != FaultyFileSystem::Operation::kCopyContents)
            return;
          TemporaryCleanup::RemoveAll();  // the temporary file is open
          const bool copied = fs_->CopyFile(root + "\\src\\b.txt", root + "\\dst\\b.txt").Copied();
          std::_Exit(copied ? 1 : 0);
        };
        faulty.CopyFile(root + "\\src\\a.txt", root + "\\dst\\a.txt");
        std::_Exit(2);
      },
      ::testing::ExitedWithCode(0), "");
  ::SetEnvironmentVariableW(L"TRASVEX_PARENT_TREE", nullptr);
  EXPECT_TRUE(tree_.List("dst").empty());
}

}  // namespace
}  // namespace trasvex::test
