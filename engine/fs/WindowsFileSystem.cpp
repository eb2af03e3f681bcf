// SPDX-License-Identifier: GPL-3.0-or-later
#include "fs/WindowsFileSystem.h"

#include <algorithm>
#include <utility>

#include "fs/TemporaryCleanup.h"
#include "fs/TemporaryName.h"
#include "windows/WindowsApi.h"

namespace trasvex {

std::unique_ptr<FileSystem> FileSystem::CreateNative() {
  return std::make_unique<WindowsFileSystem>();
}

namespace {

constexpr std::size_t kCopyBufferSize = 1 << 20;
// The attribute bits a SearchEntry carries.
constexpr DWORD kEntryAttributes = kReadOnly | kHidden | kSystem | kVolumeLabel | kDirectory |
                                   kArchive;
// The attributes a copy carries over to its target.
constexpr DWORD kCarriedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                     FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                     FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
// 1980-01-01 00:00:00 and 2107-12-31 23:59:58 as FILETIME ticks, the first
// and last stamps that a DosDateTime holds.
constexpr std::uint64_t kEarliestStamp = 119600064000000000ULL;
constexpr std::uint64_t kLatestStamp = 159992927980000000ULL;
// Every name that TemporaryName makes, and a few more that it tells apart.
constexpr char kTemporaryMask[] = ".trasvex-*.tmp";

HANDLE ToWin(FileSystem::Handle handle) { return reinterpret_cast<HANDLE>(handle); }
FileSystem::Handle FromWin(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? FileSystem::kNoHandle
                                        : reinterpret_cast<FileSystem::Handle>(handle);
}

std::uint64_t TicksOf(const FILETIME& time) {
  return (std::uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

std::int64_t InstantOfTime(const FILETIME& written) {
  constexpr std::uint64_t kTicksPerSecond = 10000000;
  return InstantOf(std::int64_t(TicksOf(written) / kTicksPerSecond));
}

std::uint64_t SizeOf(DWORD high, DWORD low) { return (std::uint64_t(high) << 32) | low; }

// True when |path| lies below |root|: it begins with it and goes on past a
// separator.
bool LiesBelow(const std::string& path, const std::string& root) {
  if (root.empty() || path.size() <= root.size() || !path.starts_with(root))
    return false;
  std::size_t next = root.size();
  const PathStyle& style = PathStyle::Windows;
  if (!style.IsSeparator(root.back()) && !style.IsSeparator(path[next]))
    return false;
  while (next < path.size() && style.IsSeparator(path[next]))
    ++next;
  return next < path.size();
}

DosDateTime StampOf(const FILETIME& written) {
  FILETIME local = written;
  ::FileTimeToLocalFileTime(&written, &local);
  const std::uint64_t ticks = std::clamp(TicksOf(local), kEarliestStamp, kLatestStamp);
  const FILETIME clamped{DWORD(ticks), DWORD(ticks >> 32)};
  WORD date = (1 << 5) | 1, time = 0;  // 1980-01-01, should the packing fail
  ::FileTimeToDosDateTime(&clamped, &date, &time);
  return DosDateTime((std::uint32_t(date) << 16) | time);
}

// A symbolic link, a junction or another name surrogate. A reparse point
// without a tag is taken for one too (Wine reports a host's symbolic link
// so); other reparse points, such as a cloud-file placeholder, are real
// files and directories.
bool IsLink(const WIN32_FIND_DATAW& data) {
  return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
         (data.dwReserved0 == 0 || IsReparseTagNameSurrogate(data.dwReserved0));
}

// A link found at |path| takes the attributes, size and time of the file it
// names, as the copy will find them. A link to a directory, or one that
// leads nowhere, counts as system, so that no link loop is ever walked.
void FollowLink(const std::string& path, WIN32_FIND_DATAW& data) {
  BY_HANDLE_FILE_INFORMATION target{};
  const ScopedKernelHandle file(
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          ? INVALID_HANDLE_VALUE
          : ::CreateFileW(ApiPath(path).c_str(), FILE_READ_ATTRIBUTES,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, 0, nullptr));
  const bool found = file && ::GetFileInformationByHandle(file.Get(), &target);
  if (!found || (target.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    data.dwFileAttributes |= FILE_ATTRIBUTE_SYSTEM;
    return;
  }
  data.dwFileAttributes = target.dwFileAttributes;
  data.nFileSizeHigh = target.nFileSizeHigh;
  data.nFileSizeLow = target.nFileSizeLow;
  data.ftLastWriteTime = target.ftLastWriteTime;
}

// The search for the entries matching |pattern|, with the first in |data|,
// as FindFirstFileExW finds it; no search when there is none. |flags|:
// FIND_FIRST_EX_LARGE_FETCH for a search that goes on to the other entries.
ScopedFindHandle FindFirst(const std::string& pattern, WIN32_FIND_DATAW& data, DWORD flags) {
  return ScopedFindHandle(::FindFirstFileExW(ApiPattern(pattern).c_str(), FindExInfoBasic, &data,
                                             FindExSearchNameMatch, nullptr, flags));
}

std::string LocaleText(LCTYPE item, const char* fallback) {
  wchar_t text[16];
  const int length = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, item, text, 16);
  return length > 1 ? Utf8Text(std::wstring_view(text, std::size_t(length - 1))) : fallback;
}

// True when a look-up that failed with |error| says that there is no file
// there: nothing by that name, or a name that the system cannot hold.
bool IsAbsence(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_DRIVE:
      return true;
    default:
      return false;
  }
}

// True when |name| is a temporary file of a copy made by a process that no
// longer runs (one that the system will not let us see still runs).
bool StaleTemporary(std::string_view name) {
  const std::optional<unsigned long> owner = TemporaryName::Owner(name);
  if (!owner || *owner == ::GetCurrentProcessId())
    return false;
  const ScopedKernelHandle process(
      ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(*owner)));
  if (!process)
    return ::GetLastError() == ERROR_INVALID_PARAMETER;
  DWORD code = STILL_ACTIVE;
  return ::GetExitCodeProcess(process.Get(), &code) && code != STILL_ACTIVE;
}

void RemoveFile(const std::wstring& path) {
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // hidden, maybe read-only
  ::DeleteFileW(path.c_str());
}

// The directory part of |path|, with its last separator.
std::string DirectoryPart(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

}  // namespace

WindowsFileSystem::WindowsFileSystem()
    : dateSeparator_(LocaleText(LOCALE_SDATE, "/")),
      timeSeparator_(LocaleText(LOCALE_STIME, ":")) {}

std::unique_ptr<FileSystem> WindowsFileSystem::ForWorker() {
  auto worker = std::make_unique<WindowsFileSystem>();
  worker->root_ = root_;
  worker->share_ = share_;
  return worker;
}

void WindowsFileSystem::ReleaseHandles() {
  std::lock_guard lock(share_->mutex);
  share_->swept.clear();
}

std::string WindowsFileSystem::ErrorText(int error) const {
  wchar_t text[512];
  DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, DWORD(error), 0, text, 512, nullptr);
  while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' ||
                        text[length - 1] == L' ' || text[length - 1] == L'.'))
    --length;
  return length > 0 ? Utf8Text(std::wstring_view(text, length))
                    : "error " + std::to_string(error);
}

bool WindowsFileSystem::IsRemote(const std::string& path) {
  // The volume's root ("C:\", "\\server\share\"), also for a path that
  // does not exist yet.
  wchar_t volume[MAX_PATH + 1];
  const std::wstring full = ApiPath(path.empty() ? "." : path);
  return ::GetVolumePathNameW(full.c_str(), volume, MAX_PATH + 1) &&
         ::GetDriveTypeW(volume) == DRIVE_REMOTE;
}

bool WindowsFileSystem::IsDirectory(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(ApiPath(path).c_str());
  const DWORD notFollowed = LiesBelow(path, root_) ? FILE_ATTRIBUTE_REPARSE_POINT : 0;
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & notFollowed);
}

DosDateTime WindowsFileSystem::FileAge(const std::string& path, std::int64_t& instant,
                                       std::int64_t& size) {
  WIN32_FIND_DATAW data;
  if (path.empty())
    return kNoFile;
  if (!FindFirst(path, data, 0)) {
    const DWORD error = ::GetLastError();
    if (IsAbsence(error))
      return kNoFile;
    lastError_ = int(error);
    return kLookUpFailed;
  }
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    return kNoFile;
  instant = InstantOfTime(data.ftLastWriteTime);
  size = std::int64_t((std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  return StampOf(data.ftLastWriteTime);
}

std::wstring WindowsFileSystem::VolumeRoot(const std::string& path) {
  wchar_t volume[MAX_PATH + 1];
  return ::GetVolumePathNameW(ApiPath(path).c_str(), volume, MAX_PATH + 1) ? volume
                                                                           : std::wstring();
}

std::string WindowsFileSystem::VolumeOf(const std::string& path) {
  return Utf8Text(VolumeRoot(path));
}

// The system flushes a whole volume only for a program with administrator
// rights, and only where its driver offers it; for others, and on a network
// drive, it gives no way to do so but file by file, and the data is left to
// its own writing.
bool WindowsFileSystem::SyncVolume(const std::string& path) {
  wchar_t name[MAX_PATH + 1];
  const std::wstring root = VolumeRoot(path);
  if (root.empty() || !::GetVolumeNameForVolumeMountPointW(root.c_str(), name, MAX_PATH + 1))
    return true;
  std::wstring device = name;
  if (!device.empty() && device.back() == L'\\')
    device.pop_back();
  const HANDLE volume =
      ::CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (volume == INVALID_HANDLE_VALUE)
    return true;
  const bool flushed = ::FlushFileBuffers(volume);
  const DWORD error = ::GetLastError();
  ::CloseHandle(volume);
  if (flushed || error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED)
    return true;
  lastError_ = int(error);
  return false;
}

bool WindowsFileSystem::CreateDirectory(const std::string& path, const std::string& /*model*/) {
  if (path.empty())
    return false;
  if (!::CreateDirectoryW(ApiPath(path).c_str(), nullptr))
    return Failed();
  const char last = path.back();
  std::lock_guard lock(share_->mutex);
  // It holds no stale temporary file.
  share_->swept.insert(Style().IsSeparator(last) ? path : path + Style().separator);
  return true;
}

void WindowsFileSystem::SweepOnce(const std::string& directory) {
  // Once per directory: a walk comes back to a directory after each of its
  // subdirectories, and workers copy into the same one.
  {
    std::lock_guard lock(share_->mutex);
    if (!share_->swept.insert(directory).second)
      return;
  }
  WIN32_FIND_DATAW data;
  const ScopedFindHandle find = FindFirst(directory + kTemporaryMask, data,
                                          FIND_FIRST_EX_LARGE_FETCH);
  if (!find)
    return;
  do {
    const std::string name = Utf8Text(data.cFileName);
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && StaleTemporary(name))
      RemoveFile(ApiPath(directory + name));
  } while (::FindNextFileW(find.Get(), &data));
}

bool WindowsFileSystem::Scan(const std::string& pattern, unsigned attributeSet,
                             std::vector<SearchEntry>& entries) {
  entries.clear();
  if (pattern.empty())
    return true;
  WIN32_FIND_DATAW data;
  const ScopedFindHandle find = FindFirst(pattern, data, FIND_FIRST_EX_LARGE_FETCH);
  if (!find) {
    // Nothing matches, no such directory, or a mask no name can match.
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_NO_MORE_FILES || error == ERROR_INVALID_NAME;
  }
  do {
    if (IsLink(data))
      FollowLink(DirectoryPart(pattern) + Utf8Text(data.cFileName), data);
    const unsigned attributes = data.dwFileAttributes & kEntryAttributes;
    if (LeftOutOfScan(attributes, attributeSet))
      continue;
    SearchEntry& entry = entries.emplace_back();
    entry.name = Utf8Text(data.cFileName);
    entry.attributes = attributes;
    entry.size = (attributes & kDirectory)
                     ? 0
                     : std::int64_t(SizeOf(data.nFileSizeHigh, data.nFileSizeLow));
    entry.stamp = StampOf(data.ftLastWriteTime);
    entry.instant = InstantOfTime(data.ftLastWriteTime);
  } while (::FindNextFileW(find.Get(), &data));
  return ::GetLastError() == ERROR_NO_MORE_FILES;
}

bool WindowsFileSystem::ReadWholeFile(const std::string& path, std::string& bytes) {
  // Read sharing only: a file that another program is writing is not read.
  const ScopedKernelHandle file(::CreateFileW(ApiPath(path).c_str(), GENERIC_READ,
                                             FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file)
    return false;
  bool read = ::GetFileType(file.Get()) == FILE_TYPE_DISK;
  bytes.clear();
  char buffer[65536];
  for (DWORD got = 1; read && got > 0;) {
    read = ::ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr);
    if (read)
      bytes.append(buffer, got);
  }
  return read;
}

namespace {

// Keeps the system's last error as the copy's; false.
bool CopyFailed(FileCopy& copy) {
  copy.error = int(::GetLastError());
  return false;
}

// The calling thread's buffer for the data of its copies.
char* ThreadBuffer() {
  static thread_local std::unique_ptr<char[]> buffer(new char[kCopyBufferSize]);
  return buffer.get();
}

}  // namespace

bool WindowsFileSystem::OpenSource(FileCopy& copy) {
  const std::wstring path = ApiPath(copy.source);
  const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    // A directory is refused so: it is no file, not a denied one.
    CopyFailed(copy);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (copy.error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
      copy.error = 0;
    return false;
  }
  BY_HANDLE_FILE_INFORMATION information;
  const bool regular = ::GetFileType(file) == FILE_TYPE_DISK;  // not a device or a pipe
  const bool known = regular && ::GetFileInformationByHandle(file, &information);
  if (!known || (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    copy.error = regular && !known ? int(::GetLastError()) : 0;  // no file: no error
    ::CloseHandle(file);
    return false;
  }
  copy.input = FromWin(file);
  copy.seen = {.size = std::int64_t(SizeOf(information.nFileSizeHigh, information.nFileSizeLow)),
               .mode = information.dwFileAttributes,
               .writeTime = std::int64_t(TicksOf(information.ftLastWriteTime))};
  return true;
}

FileSystem::TargetState WindowsFileSystem::CheckTarget(FileCopy& copy) {
  const DWORD attributes = ::GetFileAttributesW(ApiPath(copy.target).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    // Anything else than its absence (a missing folder, a denied look-up)
    // keeps the copy from being made, with its reason.
    if (::GetLastError() == ERROR_FILE_NOT_FOUND)
      return TargetState::kAbsent;
    CopyFailed(copy);
    return TargetState::kUnknown;
  }
  // The first of the attributes that keep a target, in this order, tells why.
  constexpr std::pair<DWORD, TargetState> kKept[] = {
      {FILE_ATTRIBUTE_DIRECTORY, TargetState::kFolder},
      {FILE_ATTRIBUTE_HIDDEN, TargetState::kHidden},
      {FILE_ATTRIBUTE_READONLY, TargetState::kReadOnly},
  };
  for (const auto& [attribute, state] : kKept)
    if (attributes & attribute)
      return state;
  return TargetState::kReplaceable;
}

bool WindowsFileSystem::CreateTemporary(FileCopy& copy) {
  const std::string directory = DirectoryPart(copy.target);
  SweepOnce(directory);
  if (!TemporaryCleanup::BeginCreation())
    return false;  // the process is ending
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < TemporaryName::kAttempts; ++attempt) {
    const std::string path =
        directory + TemporaryName::Make(::GetCurrentProcessId(), ++share_->temporaryCounter);
    const std::wstring apiPath = ApiPath(path);
    // Hidden, so that a scan running meanwhile passes it over; open to
    // deletion, so that the console handler can remove it while it is
    // written.
    file = ::CreateFileW(apiPath.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      TemporaryCleanup::Mark(apiPath);
      copy.output = FromWin(file);
      copy.temporaryPath = path;
      break;
    }
    CopyFailed(copy);
    if (copy.error != ERROR_FILE_EXISTS)
      break;
  }
  TemporaryCleanup::EndCreation();
  return file != INVALID_HANDLE_VALUE;
}

bool WindowsFileSystem::Failed() {
  lastError_ = int(::GetLastError());
  return false;
}

bool WindowsFileSystem::CopyContents(FileCopy& copy, const Progress& progress) {
  char* const buffer = ThreadBuffer();
  const std::uint64_t size = std::uint64_t(copy.seen.size);
  for (std::uint64_t copied = 0;;) {
    DWORD got = 0;
    if (!::ReadFile(ToWin(copy.input), buffer, DWORD(kCopyBufferSize), &got, nullptr))
      return CopyFailed(copy);
    if (got == 0)
      return copied == size;  // fewer bytes: the source shrank meanwhile
    DWORD written = 0;
    if (!::WriteFile(ToWin(copy.output), buffer, got, &written, nullptr) || written != got)
      return CopyFailed(copy);
    copied += got;
    if (progress && !progress(std::int64_t(copied), std::int64_t(size)))
      return false;
  }
}

bool WindowsFileSystem::SourceUnchanged(FileCopy& copy) {
  BY_HANDLE_FILE_INFORMATION now;
  return ::GetFileInformationByHandle(ToWin(copy.input), &now) &&
         std::int64_t(TicksOf(now.ftLastWriteTime)) == copy.seen.writeTime &&
         std::int64_t(SizeOf(now.nFileSizeHigh, now.nFileSizeLow)) == copy.seen.size;
}

bool WindowsFileSystem::CopyStampAndMode(FileCopy& copy) {
  FILE_BASIC_INFO basic{};  // times left at zero stay as they are
  basic.LastWriteTime.QuadPart = copy.seen.writeTime;
  const DWORD attributes = copy.seen.mode & kCarriedAttributes;
  basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  return ::SetFileInformationByHandle(ToWin(copy.output), FileBasicInfo, &basic,
                                      sizeof basic) ||
         CopyFailed(copy);
}

bool WindowsFileSystem::CloseTemporary(FileCopy& copy) {
  const HANDLE file = ToWin(copy.output);
  copy.output = kNoHandle;
  return ::CloseHandle(file) || CopyFailed(copy);
}

bool WindowsFileSystem::ReplaceTarget(FileCopy& copy, bool overwrite) {
  if (!::MoveFileExW(ApiPath(copy.temporaryPath).c_str(), ApiPath(copy.target).c_str(),
                     overwrite ? MOVEFILE_REPLACE_EXISTING : 0))
    return CopyFailed(copy);
  TemporaryCleanup::Unmark();
  return true;
}

void WindowsFileSystem::RemoveTemporary(FileCopy& copy) {
  RemoveFile(ApiPath(copy.temporaryPath));
  TemporaryCleanup::Unmark();
}

bool WindowsFileSystem::TargetMatchesSource(FileCopy& copy) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  return ::GetFileAttributesExW(ApiPath(copy.target).c_str(), GetFileExInfoStandard, &data) &&
         !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
         std::int64_t(SizeOf(data.nFileSizeHigh, data.nFileSizeLow)) == copy.seen.size &&
         std::int64_t(TicksOf(data.ftLastWriteTime)) == copy.seen.writeTime;
}

void WindowsFileSystem::CloseSource(FileCopy& copy) {
  ::CloseHandle(ToWin(copy.input));
  copy.input = kNoHandle;
}

}  // namespace trasvex
