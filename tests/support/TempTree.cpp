// SPDX-License-Identifier: GPL-3.0-or-later
#include "TempTree.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

#ifdef _WIN32
#include "windows/WindowsApi.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace trasvex::test {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
// FILETIME ticks (100 ns since 1601) at the start of 1970.
constexpr std::int64_t kUnixEpochTicks = 116444736000000000LL;
constexpr std::int64_t kTicksPerSecond = 10000000;
#else
constexpr char kSeparator = '/';
#endif

// The file-system path of the UTF-8 text |path|; on Windows with the "\\?\"
// prefix, so that deep trees can be built and removed.
fs::path FsPath(const std::string& path) {
#ifdef _WIN32
  const std::string prefixed = R"(\\?\)" + path;
  return fs::path(std::u8string(prefixed.begin(), prefixed.end()));
#else
  return fs::path(path);
#endif
}

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// Removes |root| with everything in it, write-protected entries included.
void RemoveAll(const fs::path& root) {
  std::error_code error;
  fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, error);
  for (auto it = fs::recursive_directory_iterator(root, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error))
    if (!it->is_symlink(error))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
  fs::remove_all(root, error);
}

// A new, empty directory in |place|, or in the temporary folder (TMPDIR on
// POSIX systems).
std::string MakeRoot(const std::string& place) {
  const fs::path folder = place.empty() ? fs::temp_directory_path() : fs::path(place);
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path root = folder / ("trasvex-test-" + std::to_string(random()));
    std::error_code error;
    if (fs::create_directory(root, error))
      return Utf8(fs::absolute(root));
  }
  throw std::runtime_error("cannot create a temporary directory");
}

#ifdef _WIN32
// On Windows a name that begins with "." is not hidden of itself: the tree
// sets the attribute, so that descriptions mean the same everywhere.
void HideDotName(const std::string& path) {
  const std::size_t cut = path.rfind(kSeparator);
  if (path.compare(cut + 1, 1, ".") == 0) {
    const std::wstring wide = FsPath(path).wstring();
    ::SetFileAttributesW(wide.c_str(), ::GetFileAttributesW(wide.c_str()) | FILE_ATTRIBUTE_HIDDEN);
  }
}

std::int64_t TicksOf(const FILETIME& time) {
  return (std::int64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}
#else
void HideDotName(const std::string&) {}
#endif

}  // namespace

TempTree::TempTree(const std::vector<std::string>& description, const std::string& folder)
    : root_(MakeRoot(folder)) {
  for (const std::string& entry : description)
    Add(entry);
}

TempTree::~TempTree() { RemoveAll(FsPath(root_)); }

TempTree::Described TempTree::Parse(const std::string& description) {
  std::istringstream words(description);
  Described entry;
  std::string date, time;
  words >> entry.relative >> date >> time >> entry.size;
  if (!date.empty())
    entry.localTime = date + " " + time;
  return entry;
}

std::string TempTree::ContentOf(const Described& entry) {
  return entry.size < 0 ? entry.relative : std::string(std::size_t(entry.size), 'x');
}

void TempTree::Add(const std::string& description) {
  const Described entry = Parse(description);
  const std::string& relative = entry.relative;
  // Parents first, so every description can stand alone.
  for (std::size_t slash = relative.find('/'); slash != std::string::npos;
       slash = relative.find('/', slash + 1)) {
    std::error_code error;
    if (fs::create_directory(FsPath(Path(relative.substr(0, slash))), error))
      HideDotName(Path(relative.substr(0, slash)));
  }
  if (relative.ends_with('/'))
    return;
  Write(relative, ContentOf(entry));
  HideDotName(Path(relative));
  if (!entry.localTime.empty())
    SetStamp(relative, entry.localTime);
}

std::string TempTree::Path(const std::string& relative) const {
  std::string path = relative.empty() ? root_ : root_ + kSeparator + relative;
  std::replace(path.begin(), path.end(), '/', kSeparator);
  return path;
}

bool TempTree::Exists(const std::string& relative) const {
  std::error_code error;
  return fs::exists(fs::symlink_status(FsPath(Path(relative)), error));
}

std::string TempTree::Read(const std::string& relative) const {
  std::ifstream in(FsPath(Path(relative)), std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void TempTree::Write(const std::string& relative, const std::string& content) const {
  std::ofstream out(FsPath(Path(relative)), std::ios::binary | std::ios::trunc);
  out << content;
}

unsigned TempTree::Mode(const std::string& relative) const {
  std::error_code error;
  return unsigned(fs::status(FsPath(Path(relative)), error).permissions()) & 07777;
}

std::vector<std::string> TempTree::List(const std::string& relative) const {
  std::vector<std::string> names;
  std::error_code error;
  for (auto it = fs::directory_iterator(FsPath(Path(relative)), error);
       !error && it != fs::directory_iterator(); it.increment(error))
    names.push_back(Utf8(it->path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> TempTree::Entries() const {
  std::vector<std::string> entries;
  const fs::path root = FsPath(root_);
  const std::size_t prefix = Utf8(root).size() + 1;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    std::string relative = Utf8(it->path()).substr(prefix);
    std::replace(relative.begin(), relative.end(), kSeparator, '/');
    entries.push_back(it->is_directory(error) ? relative + "/" : relative);
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

void TempTree::Remove(const std::string& relative) const {
  std::error_code error;
  fs::remove_all(FsPath(Path(relative)), error);
}

void TempTree::SetReadOnly(const std::string& relative) const {
  std::error_code error;
  fs::permissions(FsPath(Path(relative)), fs::perms::owner_write, fs::perm_options::remove,
                  error);
}

// Stamps go through the same local-time conversion as the file system's own
// backend: the C library's zone (TZ) on POSIX systems, the system's on
// Windows, so the expectations hold in any zone.
#ifdef _WIN32

std::time_t TempTree::LocalTime(const std::string& text) {
  SYSTEMTIME local{};
  if (std::sscanf(text.c_str(), "%hu-%hu-%hu %hu:%hu:%hu", &local.wYear, &local.wMonth,
                  &local.wDay, &local.wHour, &local.wMinute, &local.wSecond) != 6)
    throw std::invalid_argument("bad time: " + text);
  FILETIME localTicks, utc;
  if (!::SystemTimeToFileTime(&local, &localTicks) || !::LocalFileTimeToFileTime(&localTicks, &utc))
    throw std::invalid_argument("bad time: " + text);
  return std::time_t((TicksOf(utc) - kUnixEpochTicks) / kTicksPerSecond);
}

void TempTree::SetStamp(const std::string& relative, const std::string& localTime) const {
  const std::int64_t ticks = std::int64_t(LocalTime(localTime)) * kTicksPerSecond +
                             kUnixEpochTicks;
  const FILETIME written{DWORD(ticks), DWORD(ticks >> 32)};
  const HANDLE file = ::CreateFileW(FsPath(Path(relative)).wstring().c_str(),
                                    FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ::SetFileTime(file, nullptr, &written, &written);
  ::CloseHandle(file);
}

std::time_t TempTree::Stamp(const std::string& relative) const {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ::GetFileAttributesExW(FsPath(Path(relative)).wstring().c_str(), GetFileExInfoStandard, &data);
  return std::time_t((TicksOf(data.ftLastWriteTime) - kUnixEpochTicks) / kTicksPerSecond);
}

#else

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

#endif

}  // namespace trasvex::test
