// SPDX-License-Identifier: GPL-3.0-or-later
// File-system services on Windows, through the wide ("W") API.
//
// Platform rules:
// - text is UTF-8 inside the program and UTF-16 at the API, so names outside
//   the system code page are found and copied;
// - attributes, name matching (without case, short names included) and the
//   wildcard rules are the system's own (FindFirstFileExW);
// - a directory that is a symbolic link or a junction counts as system, so a
//   link loop is never walked; a link to a file counts as that file;
// - stamps: the last-write time in local time (FileTimeToLocalFileTime, so
//   with the bias in force now), packed by FileTimeToDosDateTime; times
//   before 1980 or after 2107 are clamped to the nearest stamp; stamps are
//   ordered by the UTC time itself;
// - below a mapping's destination a directory that is a link or a junction
//   is not a directory, so nothing is created or written through it;
// - an existing target that is read-only or hidden is never replaced;
// - temporary files are named ".trasvex-PID-N.tmp" and hidden; before the
//   first copy into a directory that it did not create, a run removes from
//   it those of processes that no longer exist, as the POSIX backend does;
// - a look-up that fails for a name the system cannot hold (too long, or
//   with characters it refuses) finds no file; one refused by the share or
//   the device fails;
// - a path whose full form (relative ones from the current folder) is too
//   long for the classic API is given in full with the "\\?\" prefix
//   (ApiPath), so deep trees copy rather than fail;
// - the listing writes dates and times with the user's locale separators;
// - remote: a path on a network drive or share (GetDriveTypeW).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "fs/FileSystem.h"

namespace trasvex {

class WindowsFileSystem final : public FileSystem {
 public:
  WindowsFileSystem();

  const PathStyle& Style() const override { return PathStyle::Windows; }
  std::string DateSeparator() const override { return dateSeparator_; }
  std::string TimeSeparator() const override { return timeSeparator_; }

  bool IsDirectory(const std::string& path) override;
  using FileSystem::FileAge;
  DosDateTime FileAge(const std::string& path, std::int64_t& instant,
                      std::int64_t& size) override;
  bool CreateDirectory(const std::string& path, const std::string& model) override;
  void SetDestinationRoot(const std::string& root) override { root_ = root; }
  bool Scan(const std::string& pattern, unsigned attributeSet,
            std::vector<SearchEntry>& entries) override;
  bool ReadWholeFile(const std::string& path, std::string& bytes) override;
  std::string ErrorText(int error) const override;
  std::string VolumeOf(const std::string& path) override;
  bool SyncVolume(const std::string& path) override;
  std::string ResolvedPath(const std::string& path) override { return SystemResolvedPath(path); }
  bool SameFolder(const std::string& one, const std::string& other) override {
    return SystemSameFolder(one, other);
  }
  void ReleaseHandles() override;
  std::unique_ptr<FileSystem> ForWorker() override;
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

 private:
  // Keeps the system's last error as this instance's; false.
  bool Failed();
  // The root of the volume that holds |path| ("C:\", a mounted folder,
  // "\\server\share\"); empty when the system cannot tell.
  std::wstring VolumeRoot(const std::string& path);

  // What the instances of one run share.
  struct RunShare {
    std::mutex mutex;
    // Directories swept of stale temporary files, or made by the run.
    std::unordered_set<std::string> swept;
    std::atomic<unsigned> temporaryCounter{0};
  };

  // Removes the stale temporary files from |directory| (the directory part
  // of a target, with its separator), unless this run swept it already.
  void SweepOnce(const std::string& directory);

  const std::string dateSeparator_;
  const std::string timeSeparator_;
  std::string root_;  // the destination root of the mapping in progress
  std::shared_ptr<RunShare> share_ = std::make_shared<RunShare>();
};

}  // namespace trasvex
