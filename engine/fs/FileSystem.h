// SPDX-License-Identifier: GPL-3.0-or-later
// The file-system services the engine relies on, behind one interface with a
// backend per platform (PosixFileSystem, WindowsFileSystem).
//
// Error style: no operation reports an error text. Tests answer false, a
// stamp answers kNoFile (or kLookUpFailed), a scan answers false when its
// directory cannot be read to its end, and a handle that cannot be had is
// kNoHandle. Where the system gave a reason, LastError() keeps it until the
// next failure on the same instance, and ErrorText() words it. The engine
// decides what to show.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "text/DosDateTime.h"
#include "text/PathText.h"
#include "fs/FileCopy.h"
#include "fs/SearchEntry.h"

namespace trasvex {

// The stamp of a file whose look-up failed for another reason than its
// absence (a share that does not answer, a denied permission): no packed
// stamp has month 15.
inline constexpr DosDateTime kLookUpFailed = -2;

class FileSystem {
 public:
  using Handle = FileCopy::Handle;
  static constexpr Handle kNoHandle = FileCopy::kNoHandle;

  virtual ~FileSystem() = default;

  // The backend of the platform the program was built for.
  static std::unique_ptr<FileSystem> CreateNative();

  virtual const PathStyle& Style() const = 0;
  // The separators the listing writes dates and times with.
  virtual std::string DateSeparator() const = 0;
  virtual std::string TimeSeparator() const = 0;

  // True when |path| exists and is a directory; a trailing separator is
  // accepted.
  virtual bool IsDirectory(const std::string& path) = 0;
  // The stamp of the file |path| names, in |instant| its write time as
  // SearchEntry::instant gives it and in |size| its size in bytes; kNoFile
  // when there is no such file or it is a directory, kLookUpFailed when the
  // system could not tell.
  virtual DosDateTime FileAge(const std::string& path, std::int64_t& instant,
                              std::int64_t& size) = 0;
  DosDateTime FileAge(const std::string& path) {
    std::int64_t instant, size;
    return FileAge(path, instant, size);
  }
  // True also when the look-up failed: the file may be there.
  bool FileExists(const std::string& path) { return FileAge(path) != kNoFile; }
  // Creates exactly one directory, whose parent must exist, with the
  // permissions of the directory |model| where the system has them.
  virtual bool CreateDirectory(const std::string& path, const std::string& model) = 0;
  // The top of the destination tree that a walk works in, as the user named
  // it (it may be a link). Below it no link to a directory is followed: such
  // a link is not a directory to the directory test, and nothing is ever
  // created or written through it. An empty root lifts the rule.
  virtual void SetDestinationRoot(const std::string& root) = 0;
  // Replaces |entries| with the entries that match |pattern| (a directory
  // part followed by a name or a mask). An entry that could not be examined
  // comes back with its error set. An entry is left out when it has
  // any of the attributes hidden, system, volume label or directory that
  // |attributeSet| lacks. "." and ".." come back when the mask matches them.
  // False when the directory exists but cannot be read to its end (the
  // entries read until then are kept); a pattern that matches nothing, or
  // whose directory does not exist, is a complete scan without entries.
  virtual bool Scan(const std::string& pattern, unsigned attributeSet,
                    std::vector<SearchEntry>& entries) = 0;
  // The whole content of a regular file; false when it cannot be read.
  virtual bool ReadWholeFile(const std::string& path, std::string& bytes) = 0;
  // The system's error number of the last operation of this instance that
  // failed with one (errno, GetLastError), and the system's words for an
  // error number.
  int LastError() const { return lastError_; }
  virtual std::string ErrorText(int error) const = 0;

  // A name of the file system that holds the directory |path|, the same for
  // every directory on it; empty when the system could not tell.
  virtual std::string VolumeOf(const std::string& path) = 0;
  // Forces to the disk the data written to the file system that holds the
  // directory |path|, all of it at once; false, with LastError(), when the
  // system reported a failure.
  virtual bool SyncVolume(const std::string& path) = 0;

  // |path| as the system takes it: links, "." and ".." resolved as far as
  // it exists, the rest as written; |path| itself when that fails.
  virtual std::string ResolvedPath(const std::string& path) = 0;
  // True when |one| and |other| name one folder that exists.
  virtual bool SameFolder(const std::string& one, const std::string& other) = 0;

  // Lets go of whatever a backend keeps open from one call to the next (such
  // as directory handles for the names inside them). A run calls it as it
  // begins and as it ends, so nothing is held, or stale, between runs.
  virtual void ReleaseHandles() {}

  // Another instance of this backend for a worker thread of the run in
  // progress: its own handles, the same destination root, and what the run
  // has learnt (such as the directories already cleaned of stale temporary
  // files) shared with this one. The walk asks it of the thread that owns
  // this instance; afterwards each instance is used by one thread at a
  // time. Null when the backend works on one thread only.
  virtual std::unique_ptr<FileSystem> ForWorker() { return nullptr; }
  // An instance for a walk of its own on another thread, with workers of
  // its own: as ForWorker, but it learns about each destination root it is
  // given as this one does.
  virtual std::unique_ptr<FileSystem> ForWalk() { return ForWorker(); }
  // True when |path| (which need not exist yet) lies on a network file
  // system, which answers each request late but takes many at once.
  virtual bool IsRemote(const std::string& /*path*/) { return false; }

  // How a copy ended.
  enum class CopyEnd {
    kCopied,
    kFailed,     // a step failed; |error| is the system's reason, if it gave one
    kChanged,    // the source changed while it was copied
    kKept,       // the target is one a copy never replaces; |target| says why
    kCancelled,  // the progress callback stopped it
  };
  // What the look-up before a copy found at its target: nothing, a file the
  // copy may replace, one it never replaces and why, or nothing it could
  // tell (the copy's error says why).
  enum class TargetState {
    kAbsent,
    kReplaceable,
    kFolder,
    kReadOnly,
    kHidden,
    kNotAFile,  // a device, a FIFO or a socket
    kUnknown,
  };

  struct CopyResult {
    CopyEnd end = CopyEnd::kFailed;
    int error = 0;
    TargetState target = TargetState::kAbsent;  // what a kept target is
    bool Copied() const { return end == CopyEnd::kCopied; }
  };
  // Hears of the bytes copied so far and the size of the source; false stops
  // the copy.
  using Progress = std::function<bool(std::int64_t copied, std::int64_t size)>;

  // Copies |source| over |target|, keeping the source's stamp and
  // permissions. The data goes to a temporary file beside the target, which
  // replaces the target only when it is complete, so a failed copy leaves
  // the old target whole and no temporary file behind. An existing target
  // that is a folder, read-only, hidden, a system file or not a regular file
  // is not replaced. A source whose size or time changed while it was copied
  // fails the copy.
  // A caller that knows there is no |target| (its folder was made by the
  // run and holds no file of that name) passes |targetAbsent| and spares the
  // check; a file that appears there meanwhile is still never replaced.
  // |progress|, when given, hears of the bytes copied between blocks and
  // may stop the copy, which then changes nothing. A copy's state is its
  // own (FileCopy): the backend keeps nothing of it between the steps, so
  // the steps of several copies may come in turn on one instance.
  CopyResult CopyFile(const std::string& source, const std::string& target,
                      bool targetAbsent = false, const Progress& progress = nullptr);

  // The steps of CopyFile, in the order it takes them, each on the copy it
  // is given. A step that fails with an error of the system leaves it in
  // the copy's |error|; no step touches LastError().
  // Opens |copy.source| (a regular file only) and notes what it saw of it.
  virtual bool OpenSource(FileCopy& copy) = 0;
  virtual TargetState CheckTarget(FileCopy& copy) = 0;
  // Creates the temporary file beside |copy.target|.
  virtual bool CreateTemporary(FileCopy& copy) = 0;
  // False also when fewer bytes came than the source held when opened, and
  // when |progress| (which may be empty) answered false.
  virtual bool CopyContents(FileCopy& copy, const Progress& progress) = 0;
  // True when the open source still has the size and time it had when
  // opened.
  virtual bool SourceUnchanged(FileCopy& copy) = 0;
  virtual bool CopyStampAndMode(FileCopy& copy) = 0;
  // Closes the temporary file; false when the system reports a late write
  // error.
  virtual bool CloseTemporary(FileCopy& copy) = 0;
  // Renames the temporary file to the target, over an existing file only
  // when |overwrite| is true: a file that appeared after a check found none
  // is never replaced unseen.
  virtual bool ReplaceTarget(FileCopy& copy, bool overwrite) = 0;
  // True when the target is a regular file with the size and write time
  // that the source had when it was opened: another copy of it, such as one
  // made by another run at the same time.
  virtual bool TargetMatchesSource(FileCopy& copy) = 0;
  virtual void RemoveTemporary(FileCopy& copy) = 0;
  virtual void CloseSource(FileCopy& copy) = 0;

 protected:
  // ResolvedPath and SameFolder as the standard library asks the system.
  static std::string SystemResolvedPath(const std::string& path);
  static bool SystemSameFolder(const std::string& one, const std::string& other);

  int lastError_ = 0;

 private:
  // The copy's data, checks and stamp, into its open temporary file.
  CopyResult Fill(FileCopy& copy, const Progress& progress);
};

}  // namespace trasvex
