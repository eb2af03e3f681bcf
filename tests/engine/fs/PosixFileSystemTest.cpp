// SPDX-License-Identifier: GPL-3.0-or-later
// What the POSIX backend counts as hidden, system and read-only, and how its
// copy keeps targets safe.
#include <gtest/gtest.h>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <map>

#include "EngineFixture.h"
#include "FaultyFileSystem.h"
#include "ScopedJobs.h"
#include "fs/PosixFileSystem.h"

namespace trasvex::test {
namespace {

using Names = std::vector<std::string>;

class PosixFiles : public EngineFixture {
 protected:
  void MakeSocket(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
  }
};

// The names in the working folder, sorted, hidden ones too.
Names WorkingFolderNames() {
  Names names;
  if (DIR* dir = ::opendir(".")) {
    while (const dirent* entry = ::readdir(dir))
      if (std::string_view(entry->d_name) != "." && std::string_view(entry->d_name) != "..")
        names.push_back(entry->d_name);
    ::closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Removes |name| in the working folder with everything in it, stepping down
// with chdir so that trees deeper than the path limit go too and no
// directory stays open on the way.
void RemoveDeep(const std::string& name) {
  if (::chdir(name.c_str()) != 0) {
    ::unlink(name.c_str());
    return;
  }
  for (const std::string& child : WorkingFolderNames())
    RemoveDeep(child);
  if (::chdir("..") == 0)
    ::rmdir(name.c_str());
}

TEST_F(PosixFiles, ScansSkipHiddenAndSystemEntries) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add("src/.oculto 2020-01-01 00:00:00");
  tree_.Add("src/dir/");
  ASSERT_EQ(::mkfifo(P("src/fifo").c_str(), 0644), 0);
  MakeSocket(P("src/sock"));
  ASSERT_EQ(::symlink("a.txt", P("src/enlace.txt").c_str()), 0);
  ASSERT_EQ(::symlink("dir", P("src/enlace-dir").c_str()), 0);
  ASSERT_EQ(::symlink("nada", P("src/roto").c_str()), 0);
  EXPECT_EQ(ScanNames(P("src/*.*"), kFilesAndDirectories),
            (Names{".", "..", "a.txt", "dir", "enlace.txt"}));
  EXPECT_EQ(ScanNames(P("src/*.txt"), kDirectories), (Names{"a.txt", "enlace.txt"}));
  EXPECT_EQ(ScanNames(P("src/*.*"), kFilesAndDirectories | kHidden | kSystem),
            (Names{".", "..", ".oculto", "a.txt", "dir", "enlace-dir", "enlace.txt", "fifo",
                   "roto", "sock"}));
  EXPECT_TRUE(ScanNames(P("falta/*.*"), kFilesAndDirectories).empty());
}

TEST_F(PosixFiles, AFifoInTheSourceNeverBlocksARun) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  ASSERT_EQ(::mkfifo(P("src/tubo").c_str(), 0644), 0);
  ASSERT_EQ(::symlink("tubo", P("src/tubo.txt").c_str()), 0);
  host_.options.subDirs = false;
  Run({"@/dst = @/src", "@/dst2 = @/src/tubo"});
  EXPECT_EQ(tree_.List("dst"), Names{"a.txt"});
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(fs_->FileAge(P("src/tubo")), kNoFile);
}

TEST_F(PosixFiles, ALinkToAFileIsCopiedAsThatFile) {
  tree_.Add("real/a.txt 2020-01-01 00:00:00");
  tree_.Add("src/");
  ASSERT_EQ(::symlink(P("real/a.txt").c_str(), P("src/a.txt").c_str()), 0);
  Run({"@/dst = @/src"});
  struct stat st;
  ASSERT_EQ(::lstat(P("dst/a.txt").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(tree_.Read("dst/a.txt"), "real/a.txt");
}

// A worker that made a folder still finds there the files that another
// worker copied into it.
TEST_F(PosixFiles, AWorkerThatMadeAFolderFindsWhatOthersCopiedIntoIt) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add("dst/");
  fs_->SetDestinationRoot(P("dst"));
  const std::unique_ptr<FileSystem> maker = fs_->ForWorker();
  const std::unique_ptr<FileSystem> copier = fs_->ForWorker();
  ASSERT_TRUE(maker->CreateDirectory(P("dst/nueva"), P("src")));
  ASSERT_TRUE(copier->CopyFile(P("src/a.txt"), P("dst/nueva/a.txt"), true).Copied());
  EXPECT_NE(maker->FileAge(P("dst/nueva/a.txt")), kNoFile);
}

TEST_F(PosixFiles, TheCopyCarriesModeAndStampAndLeavesNoTemporaryFile) {
  tree_.Add("src/script.sh 2020-01-02 03:04:05");
  tree_.Add("src/lectura.txt 2020-01-02 03:04:05");
  tree_.Add("src/grupo.txt 2020-01-02 03:04:05");
  ::chmod(P("src/script.sh").c_str(), 0751);
  ::chmod(P("src/lectura.txt").c_str(), 0444);
  ::chmod(P("src/grupo.txt").c_str(), 0666);  // more than the umask lets a new file have
  // Read later than written: only the write time is the stamp.
  const timespec accessed[2] = {{TempTree::LocalTime("2023-06-07 08:09:10"), 0}, {0, UTIME_OMIT}};
  ASSERT_EQ(::utimensat(AT_FDCWD, P("src/script.sh").c_str(), accessed, 0), 0);
  Run({"@/dst = @/src"});
  EXPECT_EQ(tree_.Mode("dst/script.sh"), 0751u);
  EXPECT_EQ(tree_.Mode("dst/lectura.txt"), 0444u);
  EXPECT_EQ(tree_.Mode("dst/grupo.txt"), 0666u);
  EXPECT_EQ(tree_.Stamp("dst/script.sh"), TempTree::LocalTime("2020-01-02 03:04:05"));
  EXPECT_EQ(tree_.List("dst"), (Names{"grupo.txt", "lectura.txt", "script.sh"}));
  Run({"@/dst = @/src"});
  EXPECT_EQ(host_.status[1], "Archs (3): 0 copias, 0 fallos.");
}

// The kernel copies nothing between a memory file system and a disk: the
// copy then moves the data itself.
TEST_F(PosixFiles, ACopyCrossesFileSystems) {
  struct stat disk{}, memory{};
  if (::stat("/dev/shm", &memory) != 0 || ::stat(tree_.Root().c_str(), &disk) != 0 ||
      memory.st_dev == disk.st_dev)
    GTEST_SKIP() << "no /dev/shm on a file system other than " << tree_.Root() << "'s";
  const TempTree shm({"src/a.txt 2020-01-01 00:00:00"}, "/dev/shm");
  Run({"@/dst = " + shm.Path("src")});
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(tree_.Read("dst/a.txt"), "src/a.txt");
}

// One sync for each file system the copies went to, however many
// destinations lie on it; a folder that is gone cannot be synced.
TEST_F(PosixFiles, ARunSyncsOnceForEachFileSystemItCopiedTo) {
  struct stat disk{}, memory{};
  if (::stat("/dev/shm", &memory) != 0 || ::stat(tree_.Root().c_str(), &disk) != 0 ||
      memory.st_dev == disk.st_dev)
    GTEST_SKIP() << "no /dev/shm on a file system other than " << tree_.Root() << "'s";
  const TempTree shm({}, "/dev/shm");
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  FaultyFileSystem faulty(*fs_);
  std::vector<std::string> synced;
  faulty.beforeCall = [&](FaultyFileSystem::Operation operation, const std::string& path) {
    if (operation == FaultyFileSystem::Operation::kSyncVolume)
      synced.push_back(path);
  };
  Distribuidor engine(host_, faulty);
  host_.lines = {Expand("@/dst = @/src"), shm.Path("dst") + " = " + P("src"),
                 Expand("@/dst2 = @/src")};
  engine.CopyBtnClick();
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(synced, (std::vector<std::string>{P("dst"), shm.Path("dst")}));
  EXPECT_FALSE(fs_->SyncVolume(P("nada")));
  EXPECT_EQ(fs_->LastError(), ENOENT);
}

TEST_F(PosixFiles, CreatedDirectoriesTakeTheSourcesPermissions) {
  tree_.Add("src/privado/a.txt 2020-01-01 00:00:00");
  tree_.Add("src/comun/b.txt 2020-01-01 00:00:00");
  tree_.Add("src/lectura/c.txt 2020-01-01 00:00:00");
  tree_.Add("dst/comun/");
  ::chmod(P("src/lectura").c_str(), 0555);
  ::chmod(P("src/privado").c_str(), 0750);
  ::chmod(P("src/comun").c_str(), 0700);
  ::chmod(P("dst/comun").c_str(), 0755);
  const mode_t umask = ::umask(027);
  Run({"@/dst = @/src", "@/dst2 = @/src/privado"});
  ::umask(umask);
  ::chmod(P("src/lectura").c_str(), 0755);
  EXPECT_EQ(tree_.Mode("dst/lectura"), 0750u);  // its owner may still copy into it
  EXPECT_EQ(tree_.Mode("dst/privado"), 0750u);
  EXPECT_EQ(tree_.Mode("dst2"), 0750u);
  EXPECT_EQ(tree_.Mode("dst/comun"), 0755u);  // an existing one is left as it is
  EXPECT_EQ(tree_.Read("dst/privado/a.txt"), "src/privado/a.txt");
}

// Links put below a destination, before the run and while it is in a
// directory, lead nothing outside; the destination the user named may be a
// link.
TEST_F(PosixFiles, NoLinkBelowADestinationIsFollowed) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add("src/sub/b.txt 2020-01-01 00:00:00");
  tree_.Add("src/otra/c.txt 2020-01-01 00:00:00");
  tree_.Add("dst/");
  tree_.Add("fuera/");
  tree_.Add("real/");
  ASSERT_EQ(::symlink(P("fuera").c_str(), P("dst/sub").c_str()), 0);
  ASSERT_EQ(::symlink(P("real").c_str(), P("enlace").c_str()), 0);
  FaultyFileSystem faulty(*fs_);
  faulty.beforeCall = [this](FaultyFileSystem::Operation operation, const std::string& path) {
    if (operation == FaultyFileSystem::Operation::kOpenSource && path == P("src/otra/c.txt") &&
        !tree_.Exists("dst/vieja")) {
      ASSERT_EQ(::rename(P("dst/otra").c_str(), P("dst/vieja").c_str()), 0);
      ASSERT_EQ(::symlink(P("fuera").c_str(), P("dst/otra").c_str()), 0);
    }
  };
  Distribuidor engine(host_, faulty);
  host_.lines = {Expand("@/dst = @/src"), Expand("@/enlace = @/src")};
  {
    // A worker may hold the folder it looked into before the swap, and copy
    // into it where it now lies; one after another, the copy meets the link.
    const ScopedJobs oneByOne("1");
    engine.CopyBtnClick();
  }
  EXPECT_TRUE(tree_.List("fuera").empty());
  std::sort(host_.messages.begin(), host_.messages.end());
  EXPECT_EQ(host_.messages,
            (Names{"ERROR: No se ha podido crear el directorio " + P("dst/sub") + ".",
                   "ERROR: No se pudo copiar el archivo " + P("src/otra") + "/c.txt"}));
  EXPECT_EQ(engine.Counters().fallidos, 2);
  EXPECT_EQ(tree_.List("real"), (Names{"a.txt", "otra", "sub"}));
  EXPECT_EQ(tree_.Read("real/sub/b.txt"), "src/sub/b.txt");
}

// The name of a temporary file of a process that has ended.
std::string StaleTemporaryName() {
  const pid_t ended = ::fork();
  if (ended == 0)
    ::_exit(0);
  ::waitpid(ended, nullptr, 0);
  return ".trasvex-" + std::to_string(ended) + "-1.tmp";
}

// A temporary file whose process has ended is removed from the destination
// directories a run copies to; one of a process still alive stays.
TEST_F(PosixFiles, ARunRemovesTheTemporariesOfEndedProcesses) {
  tree_.Add("src/b.txt 2020-01-01 00:00:00");
  tree_.Add("src/sub/a.txt 2020-01-01 00:00:00");
  tree_.Add("dst/sub/");
  const std::string stale = StaleTemporaryName();
  const std::string live = ".trasvex-" + std::to_string(::getppid()) + "-1.tmp";
  for (const std::string& name : {stale, live, std::string(".trasvex-x-1.tmp")}) {
    tree_.Write("dst/" + name, "");
    tree_.Write("dst/sub/" + name, "");
  }
  Run({"@/dst = @/src"});
  EXPECT_EQ(tree_.List("dst"), (Names{live, ".trasvex-x-1.tmp", "b.txt", "sub"}));
  EXPECT_EQ(tree_.List("dst/sub"), (Names{live, ".trasvex-x-1.tmp", "a.txt"}));
}

// Two files written two seconds apart as the clock goes back an hour: the
// destination is newer although its local time reads earlier.
TEST_F(PosixFiles, StampsOrderInTimeAcrossTheAutumnClockChange) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add("dst/a.txt 2020-01-01 00:00:00");
  const struct timespec summer[2] = {{1698541199, 0}, {1698541199, 0}};  // 02:59:59 CEST
  const struct timespec winter[2] = {{1698541201, 0}, {1698541201, 0}};  // 02:00:01 CET
  ASSERT_EQ(::utimensat(AT_FDCWD, P("src/a.txt").c_str(), summer, 0), 0);
  ASSERT_EQ(::utimensat(AT_FDCWD, P("dst/a.txt").c_str(), winter, 0), 0);
  ::setenv("TZ", "Europe/Madrid", 1);
  ::tzset();
  host_.options.recientes = true;
  Run({"@/dst = @/src"});
  host_.options.recientes = false;
  List({"@/dst = @/src"});
  ::setenv("TZ", "UTC0", 1);
  ::tzset();
  EXPECT_EQ(tree_.Read("dst/a.txt"), "dst/a.txt");
  ASSERT_EQ(host_.rows.size(), 1u);
  EXPECT_EQ(host_.rows.at(1)[0], "2023/10/29 02:59:58");
  EXPECT_EQ(host_.rows.at(1)[5], "  -");
}

TEST_F(PosixFiles, AReadOnlyTargetIsNeverReplacedEvenByRoot) {
  tree_.Add("src/a.txt 2022-01-01 00:00:00");
  tree_.Add("dst/a.txt 2020-01-01 00:00:00");
  ::chmod(P("dst/a.txt").c_str(), 0444);
  Run({"@/dst = @/src"});
  EXPECT_EQ(tree_.Read("dst/a.txt"), "dst/a.txt");
  EXPECT_EQ(Counters().fallidos, 1);
  EXPECT_EQ(host_.messages, Names{"ERROR: No se pudo copiar el archivo " + P("src") + "/a.txt"});
  EXPECT_EQ(tree_.List("dst"), Names{"a.txt"});
}

TEST_F(PosixFiles, AFailedCopyLeavesTheOldTargetWhole) {
  tree_.Add("src/a.txt 2022-01-01 00:00:00 1000000");
  tree_.Add("dst/a.txt 2020-01-01 00:00:00");
  // A file-size limit fails the writing part-way, as a full disk would.
  ::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 65536;
  ::setrlimit(RLIMIT_FSIZE, &small);
  Run({"@/dst = @/src"});
  ::setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(tree_.Read("dst/a.txt"), "dst/a.txt");
  EXPECT_EQ(tree_.List("dst"), Names{"a.txt"});
  EXPECT_EQ(Counters().fallidos, 1);
  EXPECT_EQ(host_.messages, Names{"ERROR: No se pudo copiar el archivo " + P("src") + "/a.txt"});
}

TEST_F(PosixFiles, TheCopyReplacesAnExistingTargetWhole) {
  tree_.Add("src/a.txt 2022-01-01 00:00:00 10");
  tree_.Add("dst/");
  tree_.Write("dst/a.txt", std::string(100000, 'o'));
  const std::string target = P("dst/a.txt");
  ASSERT_TRUE(fs_->CopyFile(P("src/a.txt"), target).Copied());
  EXPECT_EQ(tree_.Read("dst/a.txt"), std::string(10, 'x'));
  using End = FileSystem::CopyEnd;
  const FileSystem::CopyResult missing = fs_->CopyFile(P("src/falta.txt"), target);
  EXPECT_EQ(int(missing.end), int(End::kFailed));
  EXPECT_EQ(missing.error, ENOENT);  // the reason the message gives
  EXPECT_EQ(int(fs_->CopyFile(P("src"), P("dst/otro")).end), int(End::kFailed));
  ::chmod(target.c_str(), 0444);
  EXPECT_EQ(int(fs_->CopyFile(P("src/a.txt"), target).end), int(End::kKept));
  EXPECT_EQ(tree_.List("dst"), Names{"a.txt"});
}

TEST_F(PosixFiles, LargeFilesListTheirTrueSize) {
  tree_.Add("src/");
  const int fd = ::open(P("src/grande.bin").c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_EQ(::ftruncate(fd, (std::int64_t(3) << 30) + 600), 0);  // sparse: 3 GiB
  ::close(fd);
  List({"@/dst = @/src"});
  ASSERT_EQ(host_.rows.size(), 1u);
  EXPECT_EQ(host_.rows.at(1)[4], "3145729K");
}

TEST_F(PosixFiles, FileAndDirectoryTests) {
  tree_.Add("d/f.txt 2020-01-01 00:00:00");
  EXPECT_TRUE(fs_->IsDirectory(P("d")));
  EXPECT_TRUE(fs_->IsDirectory(P("d") + "/"));
  EXPECT_FALSE(fs_->IsDirectory(P("d/f.txt")));
  EXPECT_FALSE(fs_->IsDirectory(""));
  EXPECT_TRUE(fs_->FileExists(P("d/f.txt")));
  EXPECT_FALSE(fs_->FileExists(P("d")));
  EXPECT_FALSE(fs_->FileExists(P("d/*.txt")));  // look-ups are exact here
  EXPECT_FALSE(fs_->CreateDirectory(P("x/y"), ""));
  EXPECT_TRUE(fs_->CreateDirectory(P("x"), ""));
  EXPECT_FALSE(fs_->CreateDirectory(P("x"), ""));
}

// Names in a directory the backend has just created are not looked up, as
// it holds only what the run put there; other spellings of its path must not
// be fooled by that.
TEST_F(PosixFiles, ACreatedDirectoryIsSeenWhateverTheSpellingOfItsPath) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add("nuevo/a.txt 2024-01-01 00:00:00");
  tree_.Add("viejo/a.txt 2022-01-01 00:00:00");
  host_.options.recientes = true;
  Run({"txt *.t*", "@/dst = @/src", "@/dst/ = @/nuevo", "@/dst = @/viejo", "@/dst/. = @/viejo"});
  EXPECT_EQ(tree_.Read("dst/a.txt"), "nuevo/a.txt");
  EXPECT_EQ(host_.status[1], "Archs (8): 2 copias, 0 fallos.");
}

// Directory handles are kept within a run only: a run neither holds one
// afterwards (a drive could not be ejected) nor writes through one into a
// directory that was moved away in between.
TEST_F(PosixFiles, DirectoriesReplacedBetweenRunsAreSeenAfresh) {
  tree_.Add("src/sub/a.txt 2020-01-01 00:00:00");
  const int before = OpenDescriptors();
  Run({"@/dst = @/src"});
  EXPECT_EQ(OpenDescriptors(), before);
  ASSERT_EQ(::rename(P("dst").c_str(), P("viejo").c_str()), 0);
  ASSERT_EQ(::rename(P("src").c_str(), P("src-viejo").c_str()), 0);
  tree_.Add("src/sub/b.txt 2020-01-01 00:00:00");
  Run({"@/dst = @/src"});
  EXPECT_EQ(tree_.List("dst/sub"), Names{"b.txt"});
  EXPECT_EQ(tree_.List("viejo/sub"), Names{"a.txt"});
}

TEST_F(PosixFiles, ARunPassesOverLinksItCannotFollow) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  ASSERT_EQ(::symlink("bucle2", P("src/bucle1").c_str()), 0);
  ASSERT_EQ(::symlink("bucle1", P("src/bucle2").c_str()), 0);
  ASSERT_EQ(::symlink(".", P("src/yo").c_str()), 0);
  ASSERT_EQ(::symlink("nada", P("src/roto.txt").c_str()), 0);
  Run({"@/dst = @/src"});
  List({"@/dst2 = @/src"});
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(tree_.List("dst"), Names{"a.txt"});
  EXPECT_EQ(host_.rows.size(), 1u);
  EXPECT_EQ(ScanNames(P("src/*.*"), kFilesAndDirectories | kSystem),
            (Names{".", "..", "a.txt", "bucle1", "bucle2", "roto.txt", "yo"}));
}

TEST_F(PosixFiles, NamesWithAnyBytesAreCopiedAndComparedAsTheyAre) {
  const Names names = {"con espacio.txt", "a=b.txt", "tab\tula.txt", "nueva\nlinea.txt",
                       "mal\xff\xfe.txt", "\xc3", "barra\\inversa.txt",
                       std::string(251, 'n') + ".txt"};
  tree_.Add("src/");
  for (const std::string& name : names) {
    tree_.Write("src/" + name, name);
    tree_.SetStamp("src/" + name, "2021-01-01 00:00:00");
  }
  Run({"@/dst = @/src"});
  EXPECT_TRUE(host_.messages.empty());
  Names sorted = names;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(tree_.List("dst"), sorted);
  for (const std::string& name : names)
    EXPECT_EQ(tree_.Read("dst/" + name), name);
  Run({"@/dst = @/src"});
  EXPECT_EQ(Counters().hechos, 0);
  List({"@/dst2 = @/src"});
  EXPECT_EQ(host_.rows.size(), names.size());
}

// Each run sweeps the folders it copies into, though the engine's last run
// swept them.
TEST_F(PosixFiles, TheNextRunRemovesATemporaryLeftSinceTheLast) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  Run({"@/dst = @/src"});
  tree_.Write("dst/" + StaleTemporaryName(), "");
  tree_.Add("src/b.txt 2020-01-01 00:00:00");
  Run({"@/dst = @/src"});
  EXPECT_EQ(tree_.List("dst"), (Names{"a.txt", "b.txt"}));
}

// The exit status of |run|, made in a child process by a user whom
// permissions bind: root becomes nobody there. -1 when it did not end.
int AsAnotherUser(const std::function<int()>& run) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
      ::_exit(3);
    ::_exit(run());
  }
  int status = -1;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A process of another user that runs is not gone, though the run may not
// signal it: its temporary file stays.
TEST_F(PosixFiles, ATemporaryOfAnotherUsersLiveProcessStays) {
  if (::geteuid() != 0)
    GTEST_SKIP() << "only root can run the copy as another user";
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add("dst/");
  for (const char* folder : {"", "src", "dst"})
    ::chmod(P(folder).c_str(), 0777);
  const std::string live = ".trasvex-" + std::to_string(::getpid()) + "-1.tmp";
  tree_.Write("dst/" + live, "");
  EXPECT_EQ(AsAnotherUser([&] {
              RecordingHost host({Expand("@/dst = @/src")});
              const std::unique_ptr<FileSystem> native = FileSystem::CreateNative();
              Distribuidor(host, *native).CopyBtnClick();
              return tree_.Exists("dst/a.txt") ? tree_.Exists("dst/" + live) ? 0 : 1 : 2;
            }),
            0);
}

// In a folder that may be read but not searched, an entry of a scan and a
// target cannot be examined: the backend tells that from their absence, and
// keeps the system's reason.
TEST_F(PosixFiles, WhatAFolderThatCannotBeSearchedHoldsIsNotTakenForMissing) {
  tree_.Add("src/paso/a.txt 2020-01-01 00:00:00");
  tree_.Add("dst/paso/a.txt 2020-01-01 00:00:00");
  for (const char* folder : {"", "src", "dst"})
    ::chmod(P(folder).c_str(), 0755);
  for (const char* folder : {"src/paso", "dst/paso"})
    ::chmod(P(folder).c_str(), 0444);
  const int status = AsAnotherUser([this] {
    std::vector<SearchEntry> entries;
    fs_->Scan(P("src/paso/*.txt"), kFilesAndDirectories, entries);
    const bool entryUnexamined =
        entries.size() == 1 && entries[0].name == "a.txt" && entries[0].error == EACCES;
    const bool targetUnexamined =
        fs_->FileAge(P("dst/paso/a.txt")) == kLookUpFailed && fs_->LastError() == EACCES;
    return (entryUnexamined ? 0 : 1) | (targetUnexamined ? 0 : 2);
  });
  for (const char* folder : {"src/paso", "dst/paso"})
    ::chmod(P(folder).c_str(), 0755);
  EXPECT_EQ(status, 0) << "1: an entry passed over, 2: a target taken for missing";
}

// A target that a copy never replaces: its reason says which kind it is.
TEST_F(PosixFiles, AKeptTargetTellsWhyItIsKept) {
  const std::map<std::string, std::string> reasons = {
      {"carpeta.txt", "el destino es una carpeta"},
      {"lectura.txt", "el destino es de solo lectura"},
      {"tubo.txt", "el destino no es un archivo"},
  };
  std::map<std::string, std::string> expected;
  for (const auto& [name, reason] : reasons) {
    tree_.Add("src/" + name + " 2022-01-01 00:00:00");
    expected["ERROR: No se pudo copiar el archivo " + P("src/" + name)] = reason;
  }
  tree_.Add("dst/carpeta.txt/");
  tree_.Add("dst/lectura.txt 2020-01-01 00:00:00");
  ::chmod(P("dst/lectura.txt").c_str(), 0444);
  ASSERT_EQ(::mkfifo(P("dst/tubo.txt").c_str(), 0644), 0);
  Run({"@/dst = @/src"});
  std::map<std::string, std::string> shown;
  for (std::size_t i = 0; i < host_.messages.size(); ++i)
    shown[host_.messages[i]] = host_.reasons[i];
  EXPECT_EQ(shown, expected);
  tree_.Write("dst/.oculto", "");
  EXPECT_EQ(fs_->CopyFile(P("src/lectura.txt"), P("dst/.oculto")).target,
            FileSystem::TargetState::kHidden);
}

// With workers, as with one: a folder swapped for a link just before a copy
// into it is not written through.
TEST_F(PosixFiles, WorkersWriteThroughNoLinkSwappedInDuringTheRun) {
  tree_.Add("src/otra/c.txt 2020-01-01 00:00:00");
  tree_.Add("fuera/");
  FaultyFileSystem faulty(*fs_);
  faulty.beforeCall = [this](FaultyFileSystem::Operation operation, const std::string& path) {
    if (operation == FaultyFileSystem::Operation::kCreateTemporary &&
        path == P("dst/otra/c.txt") && !tree_.Exists("dst/vieja")) {
      ASSERT_EQ(::rename(P("dst/otra").c_str(), P("dst/vieja").c_str()), 0);
      ASSERT_EQ(::symlink(P("fuera").c_str(), P("dst/otra").c_str()), 0);
    }
  };
  Distribuidor engine(host_, faulty);
  host_.lines = {Expand("@/dst = @/src")};
  {
    const ScopedJobs eight("8");
    engine.CopyBtnClick();
  }
  EXPECT_TRUE(tree_.Exists("dst/vieja"));
  EXPECT_EQ(tree_.List("fuera"), Names{});
  EXPECT_EQ(host_.messages, Names{"ERROR: No se pudo copiar el archivo " + P("src/otra") + "/c.txt"});
}

TEST_F(PosixFiles, AnUnreadableDirectoryIsAFailureWithItsName) {
  if (::geteuid() == 0)
    GTEST_SKIP() << "root reads every directory (the fault tests cover it)";
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add("src/cerrado/b.txt 2020-01-01 00:00:00");
  tree_.Add("src/paso/c.txt 2020-01-01 00:00:00");
  ::chmod(P("src/cerrado").c_str(), 0);
  ::chmod(P("src/paso").c_str(), 0100);  // may be searched, not read
  Run({"@/dst = @/src", "@/dst2 = @/src/cerrado"});
  ::chmod(P("src/cerrado").c_str(), 0755);
  ::chmod(P("src/paso").c_str(), 0755);
  EXPECT_EQ(host_.messages.size(), 3u);
  for (const std::string& message : host_.messages)
    EXPECT_TRUE(message.starts_with("ERROR: No se ha podido leer el directorio " + P("src/")));
  EXPECT_EQ(tree_.List("dst"), (Names{"a.txt", "cerrado", "paso"}));
  EXPECT_EQ(host_.status[1], "Archs (1): 1 copias, 3 fallos.");
}

// Deep chains of long names and of one-letter names (2,100 levels), whose
// paths pass the system's limit for one call: every level is copied.
// Enters |depth| nested folders named |level| below |base| (relative to the
// working folder), making them when |make| is set; false when one fails.
bool EnterDeep(const std::string& base, const std::string& level, int depth, bool make) {
  if (::chdir(base.c_str()) != 0)
    return false;
  for (int i = 0; i < depth; ++i)
    if ((make && ::mkdir(level.c_str(), 0755) != 0) || ::chdir(level.c_str()) != 0)
      return false;
  return true;
}


TEST_F(PosixFiles, ATreeDeeperThanThePathLimitIsCopiedWhole) {
  for (const auto& [level, depth] : {std::pair{std::string(200, 'h'), 30},
                                     std::pair{std::string("h"), 2100}}) {
    SCOPED_TRACE(depth);
    const int home = ::open(".", O_RDONLY | O_DIRECTORY);
    tree_.Add("src/a.txt 2020-01-01 00:00:00");
    ASSERT_TRUE(EnterDeep(P("src"), level, depth, true));
    ::close(::open("fondo.txt", O_CREAT | O_WRONLY, 0644));
    host_.messages.clear();
    Run({"@/dst = @/src"});
    ASSERT_TRUE(EnterDeep(P("dst"), level, depth, false));
    EXPECT_EQ(WorkingFolderNames(), Names{"fondo.txt"});
    ASSERT_EQ(::chdir(tree_.Root().c_str()), 0);
    RemoveDeep("src");
    RemoveDeep("dst");
    ASSERT_EQ(::fchdir(home), 0);
    ::close(home);
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_EQ(host_.status[1], "Archs (2): 2 copias, 0 fallos.");
  }
}

// Each worker walks with handles of its own: with few descriptors to open
// (macOS gives 256) and a deep tree, sixteen workers copy what one does.
TEST_F(PosixFiles, MoreWorkersNeverRunOutOfDescriptors) {
  const std::string level(200, 'h');
  const int home = ::open(".", O_RDONLY | O_DIRECTORY);
  tree_.Add("src/");
  ASSERT_TRUE(EnterDeep(P("src"), ".", 0, false));
  for (int depth = 0; depth < 30; ++depth) {
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
      ::close(::open(name, O_CREAT | O_WRONLY, 0644));
    ASSERT_TRUE(EnterDeep(".", level, 1, true));
  }
  ASSERT_EQ(::chdir(tree_.Root().c_str()), 0);
  struct rlimit before {};
  ::getrlimit(RLIMIT_NOFILE, &before);
  for (const char* jobs : {"1", "16"}) {
    SCOPED_TRACE(jobs);
    ScopedJobs scoped(jobs);
    struct rlimit few = before;
    few.rlim_cur = 256;
    ::setrlimit(RLIMIT_NOFILE, &few);
    host_.messages.clear();
    Run({"@/dst = @/src"});
    ::setrlimit(RLIMIT_NOFILE, &before);
    EXPECT_EQ(host_.messages, Names{});
    EXPECT_EQ(host_.status[1], "Archs (90): 90 copias, 0 fallos.");
    RemoveDeep("dst");
  }
  RemoveDeep("src");
  ASSERT_EQ(::fchdir(home), 0);
  ::close(home);
}

// A target whose path is just within the longest taken, so that the path of
// its temporary file, whose name is longer, is not: the copy goes through as
// any other, and when it fails, its temporary file goes all the same.
TEST_F(PosixFiles, ACopyAtTheLongestPathLeavesNoTemporaryFile) {
  const std::string level(100, 'h'), name = "f.t";
  const std::size_t base = P("src").size();
  const std::size_t depth = (PosixFileSystem::kLongestPath - base - 150) / (level.size() + 1);
  // The last folder's name brings the target's path to two bytes short.
  const std::string last(PosixFileSystem::kLongestPath - 2 - base - depth * (level.size() + 1) -
                             1 - name.size() - 1,
                         'u');
  const int home = ::open(".", O_RDONLY | O_DIRECTORY);
  tree_.Add("src/");
  ASSERT_TRUE(EnterDeep(P("src"), level, int(depth), true));
  ASSERT_TRUE(EnterDeep(".", last, 1, true));
  ::close(::open(name.c_str(), O_CREAT | O_WRONLY, 0644));
  for (const bool fails : {true, false}) {
    SCOPED_TRACE(fails);
    FaultyFileSystem faulty(*fs_);
    Distribuidor engine(host_, faulty);
    if (fails)
      faulty.FailOn(FaultyFileSystem::Operation::kCopyStampAndMode, 1);
    host_.messages.clear();
    host_.lines = {Expand("@/dst = @/src")};
    engine.CopyBtnClick();
    EXPECT_EQ(host_.messages.size(), fails ? 1u : 0u);
    ASSERT_TRUE(EnterDeep(P("dst"), level, int(depth), false));
    ASSERT_TRUE(EnterDeep(".", last, 1, false));
    EXPECT_EQ(WorkingFolderNames(), fails ? Names{} : Names{name});
  }
  ASSERT_EQ(::chdir(tree_.Root().c_str()), 0);
  RemoveDeep("src");
  RemoveDeep("dst");
  ASSERT_EQ(::fchdir(home), 0);
  ::close(home);
}

}  // namespace
}  // namespace trasvex::test
