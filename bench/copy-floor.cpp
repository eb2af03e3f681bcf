// SPDX-License-Identifier: GPL-3.0-or-later
// The single-threaded floor of a copy whose data is on the disk when it
// ends: what one thread spends to bring DST up to date with SRC, done the
// way a plain tool would, then one syncfs of DST's file system.
//   copy-floor SRC DST
// Walks SRC through its folders' descriptors, makes each missing folder
// under DST, and copies each regular file whose counterpart is missing or
// differs in size or write time: straight into the target (no temporary
// file), with copy_file_range (or through a buffer), then its time and mode. Prints only errors;
// the exit status is 1 after an error.
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
  std::fprintf(stderr, "copy-floor: %s: %s\n", path.c_str(), std::strerror(errno));
  failed = true;
}

int OpenFolder(int parent, const char* name) {
  return ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// The kernel copies the data where it can; between file systems that it
// cannot copy between (a FUSE share), the data goes through a buffer.
bool CopyData(int in, int out, off_t size) {
  while (size > 0) {
    const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, std::size_t(size), 0);
    if (copied <= 0)
      break;
    size -= copied;
  }
  static char buffer[1 << 20];
  while (size > 0) {
    const ssize_t got = ::read(in, buffer, sizeof buffer);
    if (got <= 0 || ::write(out, buffer, std::size_t(got)) != got)
      return false;
    size -= got;
  }
  return true;
}

void CopyFile(int source, int destination, const char* name, const struct stat& info,
              const std::string& path) {
  struct stat target;
  if (::fstatat(destination, name, &target, AT_SYMLINK_NOFOLLOW) == 0 &&
      target.st_size == info.st_size && target.st_mtim.tv_sec == info.st_mtim.tv_sec)
    return;
  const int in = ::openat(source, name, O_RDONLY | O_CLOEXEC);
  const int out =
      in < 0 ? -1 : ::openat(destination, name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const struct timespec times[2] = {info.st_atim, info.st_mtim};
  if (out < 0 || !CopyData(in, out, info.st_size) || ::futimens(out, times) != 0 ||
      ::fchmod(out, info.st_mode & 07777) != 0)
    Report(path);
  if (out >= 0 && ::close(out) != 0)
    Report(path);
  if (in >= 0)
    ::close(in);
}

// Copies what the open folder SOURCE (PATH under SRC) holds into the open
// folder DESTINATION and closes both.
void Walk(int source, int destination, const std::string& path) {
  DIR* folder = ::fdopendir(source);
  if (!folder) {
    Report(path);
    ::close(source);
    ::close(destination);
    return;
  }
  while (const dirent* entry = ::readdir(folder)) {
    const char* name = entry->d_name;
    if (name[0] == '.')
      continue;
    const std::string inner = path + "/" + name;
    struct stat info;
    if (::fstatat(source, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
      Report(inner);
    } else if (S_ISREG(info.st_mode)) {
      CopyFile(source, destination, name, info, inner);
    } else if (S_ISDIR(info.st_mode)) {
      if (::mkdirat(destination, name, info.st_mode & 07777) != 0 && errno != EEXIST)
        Report(inner);
      const int child = OpenFolder(source, name);
      const int counterpart = OpenFolder(destination, name);
      if (child < 0 || counterpart < 0) {
        Report(inner);
        if (child >= 0)
          ::close(child);
        if (counterpart >= 0)
          ::close(counterpart);
        continue;
      }
      Walk(child, counterpart, inner);
    }
  }
  ::closedir(folder);
  ::close(destination);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: copy-floor SRC DST\n");
    return 2;
  }
  if (::mkdir(argv[2], 0755) != 0 && errno != EEXIST)
    Report(argv[2]);
  const int source = OpenFolder(AT_FDCWD, argv[1]);
  const int destination = OpenFolder(AT_FDCWD, argv[2]);
  if (source < 0 || destination < 0) {
    Report(source < 0 ? argv[1] : argv[2]);
    return 1;
  }
  const int root = ::dup(destination);
  Walk(source, destination, argv[1]);
  if (::syncfs(root) != 0)
    Report(argv[2]);
  ::close(root);
  return failed ? 1 : 0;
}
