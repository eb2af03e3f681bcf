// SPDX-License-Identifier: GPL-3.0-or-later
// Writes one of the benchmark trees, the same bytes, names and stamps on
// every run:
//   make-tree small DIR   20,000 files of 1-16 KiB in 400 directories, 4 levels
//   make-tree many DIR    100,000 files of 0-2 KiB in 1,885 directories
//   make-tree big DIR     4 files of 256 MiB
//   make-tree share DIR   1,000 files of 0.1-8 KiB in 31 directories
//   make-tree half DIR    500 files of 0.1-8 KiB in 31 directories
//   make-tree flat DIR    1,000 files of 0.1-8 KiB in DIR itself
//   make-tree large DIR   4 files of 32 MiB
//   make-tree deep DIR    4,372 files of 0.1-8 KiB, 4 in each of 1,093
//                         directories (3 children each, six levels)
//   make-tree ten DIR     10 files of 0.1-8 KiB
// Directories form a full tree (7, 12, 5 or 3 children per directory, three
// levels below DIR, two for 'share' and 'half', six for 'deep'); files are
// dealt to the directories in turn.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

struct Shape {
  int files;
  int branching;      // children of each directory
  int levels;         // of directories below the root
  long minBytes;
  long maxBytes;
};

// A small fixed-seed generator, so the trees never depend on the library.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }
  long Between(long low, long high) { return low + long(Next() % std::uint64_t(high - low + 1)); }

 private:
  std::uint64_t state_;
};

constexpr std::time_t kFirstStamp = 1577880000;  // 2020-01-01 12:00:00 UTC

bool Fail(const std::string& what) {
  std::perror(what.c_str());
  return false;
}

bool WriteFile(const std::string& path, long bytes, Random& random, std::time_t stamp) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0)
    return Fail(path);
  static std::vector<std::uint64_t> block(1 << 17);  // 1 MiB
  for (long left = bytes; left > 0;) {
    const long chunk = left < long(block.size() * 8) ? left : long(block.size() * 8);
    for (long i = 0; i < (chunk + 7) / 8; ++i)
      block[std::size_t(i)] = random.Next();
    if (::write(fd, block.data(), std::size_t(chunk)) != chunk)
      return Fail(path);
    left -= chunk;
  }
  const struct timespec times[2] = {{stamp, 0}, {stamp, 0}};
  if (::futimens(fd, times) != 0)
    return Fail(path);
  return ::close(fd) == 0 || Fail(path);
}

std::vector<std::string> MakeDirectories(const std::string& root, const Shape& shape) {
  std::vector<std::string> directories{root};
  std::size_t levelStart = 0;
  for (int level = 0; level < shape.levels; ++level) {
    const std::size_t levelEnd = directories.size();
    for (std::size_t parent = levelStart; parent < levelEnd; ++parent)
      for (int child = 0; child < shape.branching; ++child)
        directories.push_back(directories[parent] + "/d" + std::to_string(level) + "_" +
                              std::to_string(child));
    levelStart = levelEnd;
  }
  for (const std::string& directory : directories)
    if (::mkdir(directory.c_str(), 0755) != 0 && errno != EEXIST)
      Fail(directory);
  return directories;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make-tree small|many|big|share|half|flat|large|deep|ten DIR\n");
    return 2;
  }
  const std::string kind = argv[1], root = argv[2];
  Shape shape;
  if (kind == "small")
    shape = {20000, 7, 3, 1024, 16384};
  else if (kind == "many")
    shape = {100000, 12, 3, 0, 2048};
  else if (kind == "big")
    shape = {4, 0, 0, 256L << 20, 256L << 20};
  else if (kind == "share")
    shape = {1000, 5, 2, 100, 8192};
  else if (kind == "half")
    shape = {500, 5, 2, 100, 8192};
  else if (kind == "flat")
    shape = {1000, 0, 0, 100, 8192};
  else if (kind == "large")
    shape = {4, 0, 0, 32L << 20, 32L << 20};
  else if (kind == "deep")
    shape = {4 * 1093, 3, 6, 100, 8192};
  else if (kind == "ten")
    shape = {10, 0, 0, 100, 8192};
  else
    return 2;
  Random random(0x5eed0000 + kind.size());
  const std::vector<std::string> directories = MakeDirectories(root, shape);
  for (int i = 0; i < shape.files; ++i) {
    const std::string& directory = directories[std::size_t(i) % directories.size()];
    const std::string path = directory + "/f" + std::to_string(i) + (i % 3 ? ".txt" : ".dat");
    if (!WriteFile(path, random.Between(shape.minBytes, shape.maxBytes), random,
                   kFirstStamp + 2 * i))
      return 1;
  }
  return 0;
}
