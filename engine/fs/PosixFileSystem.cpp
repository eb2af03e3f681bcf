// SPDX-License-Identifier: GPL-3.0-or-later
#include "fs/PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/vfs.h>
#else
#include <sys/mount.h>
#include <sys/param.h>
#endif

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <iterator>
#include <type_traits>

#include "fs/TemporaryCleanup.h"
#include "fs/TemporaryName.h"

#if defined(__APPLE__)
#define st_mtim st_mtimespec
#define st_atim st_atimespec
#endif
#ifndef O_PATH
#define O_PATH O_RDONLY
#endif

namespace trasvex {

std::unique_ptr<FileSystem> FileSystem::CreateNative() {
  return std::make_unique<PosixFileSystem>();
}

namespace {

bool IsNetworkFileSystem(const struct statfs& st) {
#if defined(__linux__)
  constexpr unsigned long kNetworkTypes[] = {
      0x6969,      // NFS
      0x517B,      // SMB
      0xFF534D42,  // CIFS
      0xFE534D42,  // SMB2
      0x65735546,  // FUSE (sshfs and other remote mounts)
      0x01021997,  // 9P
      0x00C36400,  // Ceph
      0x5346414F,  // AFS
      0x6B414653,  // kAFS
      0x73757245,  // Coda
      0x564C,      // NCP
  };
  const unsigned long type = (unsigned long)(st.f_type) & 0xFFFFFFFFul;
  return std::find(std::begin(kNetworkTypes), std::end(kNetworkTypes), type) !=
         std::end(kNetworkTypes);
#else
  return !(st.f_flags & MNT_LOCAL);
#endif
}

DosDateTime StampOf(const struct stat& st) {
  std::tm local{};
  const std::time_t seconds = st.st_mtim.tv_sec;
  if (!localtime_r(&seconds, &local))
    local.tm_year = seconds < 0 ? 0 : 9999;  // clamped by the packing
  return PackDosDateTime(local);
}

std::int64_t InstantOfStat(const struct stat& st) { return InstantOf(st.st_mtim.tv_sec); }

// True when |name| is a temporary file of a copy made by a process that no
// longer exists (a process of another user is not gone).
bool StaleTemporary(std::string_view name) {
  const std::optional<unsigned long> owner = TemporaryName::Owner(name);
  const pid_t pid = owner ? pid_t(*owner) : 0;
  return pid > 0 && pid != ::getpid() && ::kill(pid, 0) == -1 && errno == ESRCH;
}

// The most a kernel copy moves at once, so that a large file's progress is
// heard of often.
constexpr std::size_t kKernelCopyBlock = 1 << 20;
// The most one read or write of a copy's data moves, into a local folder
// and onto a share.
constexpr std::size_t kLocalBlock = 1 << 17;
constexpr std::size_t kRemoteBlock = 1 << 20;

// True when a look-up that failed with |error| says that there is no file
// there, rather than that the system could not tell.
bool IsAbsence(int error) { return error == ENOENT || error == ENOTDIR || error == EISDIR; }

// LC_MESSAGES as the environment sets it (C where that locale is not
// installed), and UTF-8 for the characters of the translated texts.
locale_t MessagesLocale() {
  static const locale_t messages = [] {
    locale_t locale = ::newlocale(LC_MESSAGES_MASK, "", locale_t(0));
    if (!locale)
      locale = ::newlocale(LC_MESSAGES_MASK, "C", locale_t(0));
    const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale);
    return utf8 ? utf8 : locale;
  }();
  return messages;
}

bool IsHiddenName(std::string_view name) {
  return name.starts_with('.') && name != "." && name != "..";
}

// The kind of a directory entry (directory, plain file or system), following
// a symbolic link to the file it names; 0 when the entry vanished, and 0 with
// |error| set when the system could not tell.
unsigned AttributesOf(int dirFd, const dirent& entry, struct stat& st, int& error) {
  const bool typeKnown = entry.d_type != DT_UNKNOWN;
  bool link = entry.d_type == DT_LNK;
  error = 0;
  if (!typeKnown) {
    if (::fstatat(dirFd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
      error = errno == ENOENT ? 0 : errno;
      return 0;
    }
    link = S_ISLNK(st.st_mode);
  }
  if ((typeKnown || link) &&
      ::fstatat(dirFd, entry.d_name, &st, link ? 0 : AT_SYMLINK_NOFOLLOW) != 0) {
    if (link)
      return kSystem;  // a dangling link, or one in a loop
    error = errno == ENOENT ? 0 : errno;  // a vanished entry, or one unseen
    return 0;
  }
  if (S_ISDIR(st.st_mode))
    return link ? kSystem : kDirectory;
  if (!S_ISREG(st.st_mode))
    return kSystem;
  return (st.st_mode & S_IWUSR) ? unsigned(kArchive) : kArchive | kReadOnly;
}

// Renames |from| to |to| inside one directory, over an existing |to| only
// when |overwrite| is true (where the system can tell).
bool Rename(int dirFd, const char* from, const char* to, bool overwrite) {
#if defined(__linux__) && defined(RENAME_NOREPLACE)
  if (!overwrite) {
    if (::renameat2(dirFd, from, dirFd, to, RENAME_NOREPLACE) == 0)
      return true;
    if (errno != EINVAL && errno != ENOSYS)
      return false;  // EEXIST among others; EINVAL: a file system without it
  }
#else
  (void)overwrite;
#endif
  return ::renameat(dirFd, from, dirFd, to) == 0;
}

}  // namespace

PosixFileSystem::PosixFileSystem() : PosixFileSystem(::umask(0), std::make_shared<RunShare>()) {
  ::umask(umask_);
  ::tzset();
}

PosixFileSystem::PosixFileSystem(mode_t umask, std::shared_ptr<RunShare> share)
    : umask_(umask),
      share_(std::move(share)) {}

std::unique_ptr<FileSystem> PosixFileSystem::ForWorker() {
  std::unique_ptr<PosixFileSystem> worker(new PosixFileSystem(umask_, share_));
  worker->worker_ = true;
  worker->SetDestinationRoot(targets_.Root());
  worker->remote_ = remote_;
  return worker;
}

std::unique_ptr<FileSystem> PosixFileSystem::ForWalk() {
  return std::unique_ptr<FileSystem>(new PosixFileSystem(umask_, share_));
}

bool PosixFileSystem::IsRemote(const std::string& path) {
  // The nearest folder that exists tells the file system.
  std::string probe = path.empty() ? "." : path;
  struct statfs st;
  while (::statfs(probe.c_str(), &st) != 0) {
    const std::string parent = ParentPath(probe, Style());
    if (parent == probe)
      return false;
    probe = parent.empty() ? "." : parent;
  }
  return IsNetworkFileSystem(st);
}

PosixFileSystem::~PosixFileSystem() = default;

void PosixFileSystem::ForgetLookUps() {
  lastLookUp_.path.clear();
  created_.path.clear();
  created_.names.clear();
}

void PosixFileSystem::ReleaseHandles() {
  ForgetLookUps();
  {
    std::lock_guard lock(share_->mutex);
    share_->swept.clear();
  }
  targets_.SetRoot("");
  targets_.Clear();
  sources_.Clear();
  TemporaryCleanup::ForgetCopied();
}

int PosixFileSystem::Locate(DirectoryChain& chain, std::string_view path, std::string& name) {
  // Only the directory counts against the limit: a temporary file, whose
  // name may be longer than its target's, is found wherever its target is.
  const std::size_t slash = path.rfind('/');
  if (slash != std::string_view::npos && slash > kLongestPath) {
    errno = ENAMETOOLONG;
    return -1;
  }
  if (slash == std::string_view::npos) {
    name.assign(path);
    return AT_FDCWD;
  }
  name.assign(path.substr(slash + 1));
  return chain.Open(slash == 0 ? path.substr(0, 1) : path.substr(0, slash));
}

int PosixFileSystem::LocateDirectory(std::string_view path, std::string& name) {
  // Each level of the walk begins with a directory: what was remembered
  // about the level before does not hold for this one.
  ForgetLookUps();
  while (path.size() > 1 && path.ends_with('/'))
    path.remove_suffix(1);
  return path.empty() ? -1 : Locate(targets_, path, name);
}

bool PosixFileSystem::IsDirectory(const std::string& path) {
  std::string name;
  const int dirFd = LocateDirectory(path, name);
  struct stat st;
  if (dirFd == -1)
    return false;
  if (name.empty())  // the root
    return ::stat("/", &st) == 0;
  const int follow = targets_.Below(path) ? AT_SYMLINK_NOFOLLOW : 0;
  return ::fstatat(dirFd, name.c_str(), &st, follow) == 0 && S_ISDIR(st.st_mode);
}

int PosixFileSystem::LookUpTarget(const std::string& path, struct stat& st) {
  if (!lastLookUp_.path.empty() && lastLookUp_.path == path) {
    st = lastLookUp_.st;
    return lastLookUp_.error;
  }
  st = {};
  const std::string_view created = NameInCreated(path);
  int error = ENOENT;
  if (created.empty() || created_.names.contains(std::string(created))) {
    std::string name;
    const int dirFd = Locate(targets_, path, name);
    if (dirFd == -1)
      error = errno;
    else if (name.empty())
      error = EISDIR;
    else
      error = ::fstatat(dirFd, name.c_str(), &st, 0) == 0 ? 0 : errno;
  }
  // Remembered only inside a mapping: outside it the file commands ask, and
  // what they write in between must not be answered from memory.
  if (!worker_ && !targets_.Root().empty())
    lastLookUp_.path = path;
  lastLookUp_.error = error;
  lastLookUp_.st = st;
  return error;
}

DosDateTime PosixFileSystem::FileAge(const std::string& path, std::int64_t& instant,
                                     std::int64_t& size) {
  struct stat st;
  const int error = LookUpTarget(path, st);
  if (error != 0 && !IsAbsence(error)) {
    lastError_ = error;
    return kLookUpFailed;
  }
  if (error != 0 || !S_ISREG(st.st_mode))
    return kNoFile;
  instant = InstantOfStat(st);
  size = st.st_size;
  return StampOf(st);
}

int PosixFileSystem::OpenFolder(const std::string& path) {
  std::string name;
  const int dirFd = LocateDirectory(path, name);
  if (dirFd == -1)
    return -1;
  return ::openat(dirFd, name.empty() ? "/" : name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

std::string PosixFileSystem::VolumeOf(const std::string& path) {
  const int fd = OpenFolder(path);
  struct stat st;
  const bool known = fd != -1 && ::fstat(fd, &st) == 0;
  if (fd != -1)
    ::close(fd);
  return known ? std::to_string(st.st_dev) : std::string();
}

bool PosixFileSystem::SyncVolume(const std::string& path) {
  const int fd = OpenFolder(path);
#if defined(__linux__)
  const bool synced = fd != -1 && ::syncfs(fd) == 0;
#else
  ::sync();  // no call there syncs one file system alone
  const bool synced = fd != -1;
#endif
  if (!synced)
    lastError_ = errno;
  if (fd != -1)
    ::close(fd);
  return synced;
}

bool PosixFileSystem::CreateDirectory(const std::string& path, const std::string& model) {
  struct stat st;
  const int modelFd = model.empty() ? -1 : sources_.Open(model);
  // The owner keeps full access, or a read-only source directory would
  // leave one that nothing can be copied into.
  const mode_t mode =
      modelFd != -1 && ::fstat(modelFd, &st) == 0 ? (st.st_mode & 0777) | S_IRWXU : 0777;
  std::string name;
  const int dirFd = LocateDirectory(path, name);
  if (dirFd == -1 || name.empty() || ::mkdirat(dirFd, name.c_str(), mode) != 0)
    return false;
  if (!worker_)  // other instances copy into it too
    created_.path = path;
  std::lock_guard lock(share_->mutex);
  share_->swept.insert(path + '/');  // it holds no stale temporary file
  return true;
}

void PosixFileSystem::SetDestinationRoot(const std::string& root) {
  ForgetLookUps();
  targets_.SetRoot(root);
  remote_ = !root.empty() && !worker_ && IsRemote(root);
}

void PosixFileSystem::SweepOnce(const std::string& directory) {
  // Once per directory: a walk comes back to a directory after each of its
  // subdirectories, and workers copy into the same one.
  {
    std::lock_guard lock(share_->mutex);
    if (!share_->swept.insert(directory).second)
      return;
  }
  DIR* dir = targets_.Entries(directory);
  while (const dirent* entry = dir ? ::readdir(dir) : nullptr)
    if (StaleTemporary(entry->d_name))
      ::unlinkat(::dirfd(dir), entry->d_name, 0);
}

std::string_view PosixFileSystem::NameInCreated(std::string_view path) const {
  const std::size_t length = created_.path.size();
  if (length == 0 || path.size() <= length + 1 || !path.starts_with(created_.path) ||
      path[length] != '/')
    return {};
  const std::string_view name = path.substr(length + 1);
  return name.find('/') == std::string_view::npos ? name : std::string_view();
}

bool PosixFileSystem::Scan(const std::string& pattern, unsigned attributeSet,
                           std::vector<SearchEntry>& entries) {
  entries.clear();
  const std::size_t slash = pattern.rfind('/');
  if (slash != std::string::npos && slash > kLongestPath)
    return false;
  const std::string_view directory = slash == std::string::npos ? std::string_view(".")
                                     : slash == 0 ? std::string_view("/")
                                                  : std::string_view(pattern).substr(0, slash);
  const std::string_view mask = std::string_view(pattern).substr(slash + 1);
  DIR* dir = sources_.Entries(directory);
  if (!dir)
    return errno == ENOENT || errno == ENOTDIR;  // nothing there to match
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (!entry)
      return errno == 0;
    const std::string_view name = entry->d_name;
    if ((IsHiddenName(name) && !(attributeSet & kHidden)) || !MatchesMask(mask, name))
      continue;
    struct stat st;
    int error;
    const unsigned kind = AttributesOf(::dirfd(dir), *entry, st, error);
    const unsigned attributes = IsHiddenName(name) ? kind | kHidden : kind;
    if (error != 0) {
      entries.push_back({.name = std::string(name), .error = error});
      continue;
    }
    if (kind == 0 || LeftOutOfScan(attributes, attributeSet))
      continue;
    SearchEntry& found = entries.emplace_back();
    found.name.assign(name);
    found.attributes = attributes;
    found.size = (attributes & kDirectory) ? 0 : st.st_size;
    found.stamp = StampOf(st);
    found.instant = InstantOfStat(st);
  }
}

bool PosixFileSystem::ReadWholeFile(const std::string& path, std::string& bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd == -1)
    return false;
  struct stat st;
  bool read = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  bytes.clear();
  char buffer[65536];
  for (ssize_t got = 1; read && got > 0;) {
    got = ::read(fd, buffer, sizeof buffer);
    if (got > 0)
      bytes.append(buffer, std::size_t(got));
    read = got >= 0 || errno == EINTR;
  }
  ::close(fd);
  return read;
}

namespace {

// Keeps errno as the copy's error; false.
bool CopyFailed(FileCopy& copy) {
  copy.error = errno;
  return false;
}

bool SameAsSeen(const struct stat& st, const FileCopy::Seen& seen) {
  return st.st_size == seen.size && st.st_mtim.tv_sec == seen.writeTime &&
         st.st_mtim.tv_nsec == seen.writeNanoseconds;
}

// A buffer of at least |size| bytes for the calling thread. Its pages are
// not touched before they are used, so a large one costs only what the
// copies made through it needed.
char* ThreadBuffer(std::size_t size) {
  static thread_local std::unique_ptr<char[]> buffer;
  static thread_local std::size_t capacity = 0;
  if (capacity < size) {
    buffer.reset(new char[size]);
    capacity = size;
  }
  return buffer.get();
}

}  // namespace

bool PosixFileSystem::OpenSource(FileCopy& copy) {
  std::string name;
  const int dirFd = Locate(sources_, copy.source, name);
  if (dirFd == -1 || name.empty()) {
    copy.error = dirFd == -1 ? errno : EISDIR;
    return false;
  }
  // O_NONBLOCK: opening a FIFO that slipped in must not wait for a writer.
  const int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd == -1)
    return CopyFailed(copy);
  struct stat st;
  const bool examined = ::fstat(fd, &st) == 0;
  if (!examined || !S_ISREG(st.st_mode)) {
    copy.error = examined ? 0 : errno;  // not a file: no error of the system
    ::close(fd);
    return false;
  }
  copy.input = fd;
  copy.seen = {.size = st.st_size,
               .mode = st.st_mode & 0777,
               .writeTime = st.st_mtim.tv_sec,
               .writeNanoseconds = st.st_mtim.tv_nsec,
               .accessTime = st.st_atim.tv_sec,
               .accessNanoseconds = st.st_atim.tv_nsec};
  return true;
}

FileSystem::TargetState PosixFileSystem::CheckTarget(FileCopy& copy) {
  struct stat st;
  const int error = LookUpTarget(copy.target, st);
  lastLookUp_.path.clear();
  if (error == ENOENT)
    return TargetState::kAbsent;
  if (error != 0) {
    copy.error = error;
    return TargetState::kUnknown;
  }
  const std::size_t slash = copy.target.rfind('/');
  const std::string_view name =
      std::string_view(copy.target).substr(slash == std::string::npos ? 0 : slash + 1);
  if (S_ISDIR(st.st_mode))
    return TargetState::kFolder;
  if (!S_ISREG(st.st_mode))
    return TargetState::kNotAFile;
  if (IsHiddenName(name))
    return TargetState::kHidden;
  return (st.st_mode & S_IWUSR) ? TargetState::kReplaceable : TargetState::kReadOnly;
}

bool PosixFileSystem::CreateTemporary(FileCopy& copy) {
  std::string name;
  const int dirFd = Locate(targets_, copy.target, name);
  if (dirFd == -1)
    return CopyFailed(copy);
  const std::string directory = copy.target.substr(0, copy.target.size() - name.size());
  SweepOnce(directory);
  for (int attempt = 0; attempt < TemporaryName::kAttempts; ++attempt) {
    // A hidden name, so that a scan running meanwhile passes it over.
    const std::string temporary = TemporaryName::Make(::getpid(), ++share_->temporaryCounter);
    // Marked before it exists, so that a signal finds it marked the moment
    // it does.
    if (!TemporaryCleanup::BeginCreation())
      break;
    TemporaryCleanup::Mark(dirFd, temporary.c_str());
    const int fd = ::openat(dirFd, temporary.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, copy.seen.mode);
    TemporaryCleanup::EndCreation();
    if (fd >= 0) {
      copy.output = fd;
      copy.temporaryPath = directory + temporary;
      return true;
    }
    copy.error = errno;
    if (errno != EEXIST)
      break;
  }
  TemporaryCleanup::Unmark();
  return false;
}

bool PosixFileSystem::CopyContents(FileCopy& copy, const Progress& progress) {
  const int in = int(copy.input), out = int(copy.output);
  const off_t size = copy.seen.size;
  off_t remaining = size;
  const auto goOn = [&] { return !progress || progress(size - remaining, size); };
#if defined(__linux__)
  // The kernel copies (or shares) the blocks itself where it can, a block at
  // a time so that the progress is heard of.
  while (remaining > 0) {
    const std::size_t block = std::size_t(std::min<off_t>(remaining, kKernelCopyBlock));
    const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, block, 0);
    if (copied > 0) {
      remaining -= copied;
      if (!goOn())
        return false;
      continue;
    }
    if (copied == 0)
      return false;  // the source shrank meanwhile
    if (errno == EINTR)
      continue;
    if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP &&
        errno != EPERM)
      return CopyFailed(copy);
    break;  // no kernel copy between these files: move the rest through a buffer
  }
#endif
  // A share answers each request late: there the data goes in large ones.
  const std::size_t capacity = remote_ ? kRemoteBlock : kLocalBlock;
  char* const buffer = ThreadBuffer(std::size_t(std::min<off_t>(remaining, capacity)));
  while (remaining > 0) {
    const ssize_t got = ::read(in, buffer, std::size_t(std::min<off_t>(remaining, capacity)));
    if (got == 0)
      return false;  // the source shrank meanwhile
    if (got < 0) {
      if (errno == EINTR)
        continue;
      return CopyFailed(copy);
    }
    for (ssize_t written = 0; written < got;) {
      const ssize_t put = ::write(out, buffer + written, std::size_t(got - written));
      if (put < 0 && errno != EINTR)
        return CopyFailed(copy);
      written += put > 0 ? put : 0;
    }
    remaining -= got;
    if (!goOn())
      return false;
  }
  return true;
}

bool PosixFileSystem::SourceUnchanged(FileCopy& copy) {
  struct stat now;
  return ::fstat(int(copy.input), &now) == 0 && SameAsSeen(now, copy.seen);
}

bool PosixFileSystem::CopyStampAndMode(FileCopy& copy) {
  const int out = int(copy.output);
  const mode_t mode = copy.seen.mode;
  // The file was created with the source's mode, less what the umask took.
  if ((mode & ~umask_) != mode && ::fchmod(out, mode) != 0)
    return CopyFailed(copy);
  const struct timespec times[2] = {{copy.seen.accessTime, copy.seen.accessNanoseconds},
                                    {copy.seen.writeTime, copy.seen.writeNanoseconds}};
  return ::futimens(out, times) == 0 || CopyFailed(copy);
}

bool PosixFileSystem::CloseTemporary(FileCopy& copy) {
  const int fd = int(copy.output);
  copy.output = kNoHandle;
  return ::close(fd) == 0 || CopyFailed(copy);
}

bool PosixFileSystem::ReplaceTarget(FileCopy& copy, bool overwrite) {
  lastLookUp_.path.clear();
  std::string name, temporaryName;
  const int dirFd = Locate(targets_, copy.target, name);
  if (dirFd == -1 || Locate(targets_, copy.temporaryPath, temporaryName) != dirFd ||
      !Rename(dirFd, temporaryName.c_str(), name.c_str(), overwrite))
    return CopyFailed(copy);
  TemporaryCleanup::Unmark();
  TemporaryCleanup::Copied(dirFd);
  const std::string_view created = NameInCreated(copy.target);
  if (!created.empty())
    created_.names.emplace(created);
  return true;
}

void PosixFileSystem::RemoveTemporary(FileCopy& copy) {
  lastLookUp_.path.clear();
  std::string name;
  const int dirFd = Locate(targets_, copy.temporaryPath, name);
  if (dirFd != -1)
    ::unlinkat(dirFd, name.c_str(), 0);
  TemporaryCleanup::Unmark();
}

bool PosixFileSystem::TargetMatchesSource(FileCopy& copy) {
  std::string name;
  const int dirFd = Locate(targets_, copy.target, name);
  struct stat st;
  return dirFd != -1 && !name.empty() && ::fstatat(dirFd, name.c_str(), &st, 0) == 0 &&
         S_ISREG(st.st_mode) && SameAsSeen(st, copy.seen);
}

void PosixFileSystem::CloseSource(FileCopy& copy) {
  ::close(int(copy.input));
  copy.input = kNoHandle;
}

std::string PosixFileSystem::ErrorText(int error) const {
  // The system's words come in the language of the environment's messages
  // locale, in UTF-8, while the rest of the process keeps its own locale.
  const locale_t previous = ::uselocale(MessagesLocale());
  char text[256];
  // The GNU strerror_r may answer with a text of its own instead of |text|.
  const auto answer = ::strerror_r(error, text, sizeof text);
  std::string words;
  if constexpr (std::is_same_v<std::remove_const_t<decltype(answer)>, char*>)
    words = answer;
  else
    words = answer == 0 ? text : "error " + std::to_string(error);
  ::uselocale(previous);
  return words;
}

}  // namespace trasvex
