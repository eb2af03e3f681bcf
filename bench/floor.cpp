// SPDX-License-Identifier: GPL-3.0-or-later
// The single-threaded floor of a no-op run: what one thread spends to learn
// that nothing needs copying, done the way a plain tool would.
//   floor SRC DST
// Reads each folder of SRC with readdir, asks fstatat for the kind, size and
// stamp of each entry and, for each regular file, for those of the file at
// the same relative path under DST. Folders are reached through their
// parent's descriptor on both sides, so no path is looked up twice. It copies
// nothing and prints only errors (a file missing under DST is none); the
// exit status is 1 after an error.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool failed = false;

void Report(const std::string& path) {
  std::fprintf(stderr, "floor: %s: %s\n", path.c_str(), std::strerror(errno));
  failed = true;
}

int OpenFolder(int parent, const char* name) {
  return ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

void Walk(int source, int destination, const std::string& path, const std::string& destinationPath);

// Examines the entry NAME of the folder SOURCE (PATH under SRC) against the
// folder DESTINATION (the same path under DST, -1 when it is missing).
void Examine(int source, int destination, const char* name, const std::string& path,
             const std::string& destinationPath) {
  struct stat info;
  if (::fstatat(source, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
    return Report(path + "/" + name);
  if (S_ISDIR(info.st_mode)) {
    const int child = OpenFolder(source, name);
    if (child < 0)
      return Report(path + "/" + name);
    const int counterpart = destination < 0 ? -1 : OpenFolder(destination, name);
    if (counterpart < 0 && destination >= 0 && errno != ENOENT)
      Report(destinationPath + "/" + name);
    Walk(child, counterpart, path + "/" + name, destinationPath + "/" + name);
  } else if (S_ISREG(info.st_mode) && destination >= 0 &&
             ::fstatat(destination, name, &info, AT_SYMLINK_NOFOLLOW) != 0 && errno != ENOENT) {
    Report(destinationPath + "/" + name);
  }
}

// Walks the open folders SOURCE and DESTINATION as Examine reads them and
// closes both.
void Walk(int source, int destination, const std::string& path, const std::string& destinationPath) {
  if (DIR* folder = ::fdopendir(source)) {
    while (const dirent* entry = ::readdir(folder))
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
        Examine(source, destination, entry->d_name, path, destinationPath);
    ::closedir(folder);
  } else {
    Report(path);
    ::close(source);
  }
  if (destination >= 0)
    ::close(destination);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: floor SRC DST\n");
    return 2;
  }
  const int source = OpenFolder(AT_FDCWD, argv[1]);
  if (source < 0) {
    Report(argv[1]);
    return 1;
  }
  const int destination = OpenFolder(AT_FDCWD, argv[2]);
  if (destination < 0 && errno != ENOENT)
    Report(argv[2]);
  Walk(source, destination, argv[1], argv[2]);
  return failed ? 1 : 0;
}
