// SPDX-License-Identifier: GPL-3.0-or-later
// The floor of a safe copy into one folder: the files of one source folder
// copied by 16 threads into one new folder, each the way a copy that never
// shows a half-written file must go: a temporary file created beside the
// target, its data written, its stamp set, closed, and renamed to the
// target. Nothing else: no walk, no look-up, no check.
//   folder-floor SRC DST
// Prints only errors; the exit status is 1 after one.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kThreads = 16;
std::atomic<bool> failed{false};

bool Report(const std::string& path) {
  std::fprintf(stderr, "folder-floor: %s: %s\n", path.c_str(), std::strerror(errno));
  failed = true;
  return false;
}

bool CopyOne(const std::string& source, const std::string& target, const std::string& temporary) {
  const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st;
  if (in < 0 || ::fstat(in, &st) != 0)
    return Report(source);
  std::vector<char> data(std::size_t(st.st_size));
  const bool read = ::read(in, data.data(), data.size()) == st.st_size;
  ::close(in);
  const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (!read || out < 0)
    return Report(read ? temporary : source);
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  const bool written = ::write(out, data.data(), data.size()) == st.st_size &&
                       ::futimens(out, times) == 0;
  if (::close(out) != 0 || !written || ::rename(temporary.c_str(), target.c_str()) != 0)
    return Report(target);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: folder-floor SRC DST\n");
    return 2;
  }
  const std::string source = argv[1], destination = argv[2];
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(source.c_str())) {
    while (const dirent* entry = ::readdir(dir))
      if (entry->d_type == DT_REG)
        names.push_back(entry->d_name);
    ::closedir(dir);
  }
  if (::mkdir(destination.c_str(), 0755) != 0)
    Report(destination);
  std::atomic<std::size_t> next{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&] {
      for (std::size_t i; (i = next++) < names.size();)
        CopyOne(source + '/' + names[i], destination + '/' + names[i],
                destination + "/.floor-" + std::to_string(i) + ".tmp");
    });
  for (std::thread& thread : threads)
    thread.join();
  return failed ? 1 : 0;
}
