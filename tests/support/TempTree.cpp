#include "TempTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace trasvex::test {

namespace {

void RemoveAll(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0)
    return;
  if (S_ISDIR(st.st_mode)) {
    ::chmod(path.c_str(), 0700);
    if (DIR* dir = ::opendir(path.c_str())) {
      while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
          RemoveAll(path + "/" + name);
      }
      ::closedir(dir);
    }
    ::rmdir(path.c_str());
  } else {
    ::unlink(path.c_str());
  }
}

}  // namespace

TempTree::TempTree(const std::vector<std::string>& description) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base ? base : "/tmp") + "/trasvex-test-XXXXXX";
  if (!::mkdtemp(pattern.data()))
    throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  for (const std::string& entry : description)
    Add(entry);
}

TempTree::~TempTree() { RemoveAll(root_); }

void TempTree::Add(const std::string& description) {
  std::istringstream words(description);
  std::string relative, date, time;
  long long size = -1;
  words >> relative >> date >> time >> size;
  // Parents first, so every description can stand alone.
  for (std::size_t slash = relative.find('/'); slash != std::string::npos;
       slash = relative.find('/', slash + 1))
    ::mkdir(Path(relative.substr(0, slash)).c_str(), 0777);
  if (relative.ends_with('/'))
    return;
  Write(relative, size < 0 ? relative : std::string(std::size_t(size), 'x'));
  if (!date.empty())
    SetStamp(relative, date + " " + time);
}

std::string TempTree::Path(const std::string& relative) const {
  return relative.empty() ? root_ : root_ + "/" + relative;
}

bool TempTree::Exists(const std::string& relative) const {
  struct stat st;
  return ::lstat(Path(relative).c_str(), &st) == 0;
}

std::string TempTree::Read(const std::string& relative) const {
  std::ifstream in(Path(relative), std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void TempTree::Write(const std::string& relative, const std::string& content) const {
  std::ofstream out(Path(relative), std::ios::binary | std::ios::trunc);
  out << content;
}

std::time_t TempTree::LocalTime(const std::string& text) {
  std::tm local{};
  if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &local.tm_year, &local.tm_mon,
                  &local.tm_mday, &local.tm_hour, &local.tm_min, &local.tm_sec) != 6)
    throw std::invalid_argument("bad time: " + text);
  local.tm_year -= 1900;
  local.tm_mon -= 1;
  local.tm_isdst = -1;
  return std::mktime(&local);
}

void TempTree::SetStamp(const std::string& relative, const std::string& localTime) const {
  const struct timespec times[2] = {{LocalTime(localTime), 0}, {LocalTime(localTime), 0}};
  ::utimensat(AT_FDCWD, Path(relative).c_str(), times, AT_SYMLINK_NOFOLLOW);
}

std::time_t TempTree::Stamp(const std::string& relative) const {
  struct stat st{};
  ::stat(Path(relative).c_str(), &st);
  return st.st_mtime;
}

unsigned TempTree::Mode(const std::string& relative) const {
  struct stat st{};
  ::stat(Path(relative).c_str(), &st);
  return st.st_mode & 07777;
}

std::vector<std::string> TempTree::List(const std::string& relative) const {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(Path(relative).c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..")
        names.push_back(name);
    }
    ::closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace trasvex::test
