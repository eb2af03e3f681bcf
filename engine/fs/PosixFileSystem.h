// SPDX-License-Identifier: GPL-3.0-or-later
// File-system services on POSIX systems (Linux, macOS).
//
// Platform rules, mirroring the Windows backend's attributes:
// - hidden: a name that begins with "." ("." and ".." themselves excepted);
// - system: anything that is neither a regular file nor a directory (FIFO,
//   socket, device), a symbolic link to a directory and a dangling link. A
//   link to a regular file counts as that file;
// - read-only: a file without its owner's write bit, and such a target is
//   never replaced, also when the program runs as root;
// - stamps: the last-write time in local time (localtime_r, so TZ is
//   honoured), packed with the zone rules of that instant;
// - names match masks without case for ASCII letters; the destination
//   look-ups are exact, as the file system itself is.
// - below a mapping's destination no symbolic link to a directory is
//   followed, so a link put there never leads a copy outside the tree;
// - a directory created for a source directory takes its permission bits,
//   its owner keeping full access;
// - temporary files are named ".trasvex-PID-N.tmp"; before the first copy
//   into a directory that it did not create, a run removes from it those of
//   processes that no longer exist;
// - remote: a network file system (NFS, SMB, FUSE, 9P and the like; on
//   macOS and the BSDs any one not marked local).
// A run's workers each have their own instance (ForWorker), which shares
// with the others the directories swept and the numbering of temporary
// files.
// Look-ups of names go through open directory handles (DirectoryChain), so
// the kernel does not resolve the whole path again for every file, and
// paths longer than the system takes in one call still work, up to
// kLongestPath.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>

#include "fs/DirectoryChain.h"
#include "fs/FileSystem.h"

namespace trasvex {

class PosixFileSystem final : public FileSystem {
 public:
  PosixFileSystem();
  ~PosixFileSystem() override;
  PosixFileSystem(const PosixFileSystem&) = delete;
  PosixFileSystem& operator=(const PosixFileSystem&) = delete;

  const PathStyle& Style() const override { return PathStyle::Posix; }
  std::string DateSeparator() const override { return "/"; }
  std::string TimeSeparator() const override { return ":"; }

  // The longest directory path taken: where a walk nested in itself ends.
  static constexpr std::size_t kLongestPath = 16384;

  bool IsDirectory(const std::string& path) override;
  using FileSystem::FileAge;
  DosDateTime FileAge(const std::string& path, std::int64_t& instant,
                      std::int64_t& size) override;
  bool CreateDirectory(const std::string& path, const std::string& model) override;
  void SetDestinationRoot(const std::string& root) override;
  bool Scan(const std::string& pattern, unsigned attributeSet,
            std::vector<SearchEntry>& entries) override;
  bool ReadWholeFile(const std::string& path, std::string& bytes) override;
  std::string VolumeOf(const std::string& path) override;
  bool SyncVolume(const std::string& path) override;
  std::string ResolvedPath(const std::string& path) override { return SystemResolvedPath(path); }
  bool SameFolder(const std::string& one, const std::string& other) override {
    return SystemSameFolder(one, other);
  }
  void ReleaseHandles() override;
  std::unique_ptr<FileSystem> ForWorker() override;
  std::unique_ptr<FileSystem> ForWalk() override;
  bool IsRemote(const std::string& path) override;

  bool OpenSource(FileCopy& copy) override;
  TargetState CheckTarget(FileCopy& copy) override;
  bool CreateTemporary(FileCopy& copy) override;
  bool CopyContents(FileCopy& copy, const Progress& progress) override;
  bool SourceUnchanged(FileCopy& copy) override;
  bool CopyStampAndMode(FileCopy& copy) override;
  bool CloseTemporary(FileCopy& copy) override;
  bool ReplaceTarget(FileCopy& copy, bool overwrite) override;
  void RemoveTemporary(FileCopy& copy) override;
  bool TargetMatchesSource(FileCopy& copy) override;
  void CloseSource(FileCopy& copy) override;
  std::string ErrorText(int error) const override;

 private:
  // What the instances of one run share.
  struct RunShare {
    std::mutex mutex;
    // Directories swept of stale temporary files, or made by the run.
    std::unordered_set<std::string> swept;
    std::atomic<unsigned> temporaryCounter{0};
  };

  PosixFileSystem(mode_t umask, std::shared_ptr<RunShare> share);
  // The handle of |path|'s directory in |chain| and the name relative to
  // it; -1 when it cannot be opened or the path is longer than
  // kLongestPath.
  static int Locate(DirectoryChain& chain, std::string_view path, std::string& name);
  // A descriptor of the directory |path|, -1 (with errno) when it cannot be
  // opened.
  int OpenFolder(const std::string& path);
  // Drops what was remembered about the destination.
  void ForgetLookUps();
  // Locate for a directory (trailing separators dropped) among the targets,
  // forgetting what was remembered about the level before.
  int LocateDirectory(std::string_view path, std::string& name);
  // Looks |path| up (following a link) relative to the targets' handle and
  // remembers the answer for the copy that usually asks about the same
  // target next; the error number, 0 when found.
  int LookUpTarget(const std::string& path, struct stat& st);

  // The last destination look-up, kept until the next change made here; a
  // worker keeps none, as other instances change the destination too.
  struct LookUp {
    std::string path;
    int error = 0;
    struct stat st {};
  };
  // The directory created last, and the names put in it since: it held
  // nothing when it was made, so other names in it need no look-up. Kept
  // until the next directory test, which starts every level of the walk,
  // and never by a worker's instance: other instances copy into it too.
  struct CreatedDirectory {
    std::string path;
    std::unordered_set<std::string> names;
  };
  // The name of |path| when it lies right inside the directory created last.
  std::string_view NameInCreated(std::string_view path) const;
  // Removes the temporary files of ended processes from |directory| (the
  // directory part of |target|, with its separator), unless this run swept
  // it or created it.
  void SweepOnce(const std::string& directory);

  // Destination look-ups, directories and the copy's target.
  DirectoryChain targets_{true};
  DirectoryChain sources_;  // scans and the copy's source
  LookUp lastLookUp_;
  CreatedDirectory created_;
  mode_t umask_;
  std::shared_ptr<RunShare> share_;
  bool worker_ = false;  // made by ForWorker
  bool remote_ = false;  // the destination root lies on a network file system
};

}  // namespace trasvex
