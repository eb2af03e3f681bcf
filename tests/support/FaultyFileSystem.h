// SPDX-License-Identifier: GPL-3.0-or-later
// A FileSystem that forwards every call to another one and makes the n-th
// call of a chosen operation fail the way the system would, for tests:
//
//   Scan              the first half of the entries by name, "." and ".."
//                     left out, then false (a directory that cannot be read
//                     to its end)
//   CreateDirectory   false (no permission)
//   OpenSource        no handle (permission denied)
//   CreateTemporary   no handle (no space for a new file)
//   CopyContents      part of the data written, then false (no space left,
//                     or fewer bytes than the source held)
//   SourceUnchanged   false (the source changed while it was copied)
//   CopyStampAndMode  false
//   CloseTemporary    closed, then false (a late write error)
//   ReplaceTarget     false (the rename refused)
//   FileAge           kLookUpFailed with an input/output error (a share that
//                     does not answer)
//   SyncVolume        false with an input/output error (data that could not
//                     be written to the disk)
//   Examine           a scanned entry of that path (directory and name)
//                     comes back unexamined, with an input/output error
//
// |blockDelay| slows every block of a copy's data down, as a slow link would;
// |duringCopy| runs with every block, on the copy's thread, and may hold it.
//
// |beforeCall| sees every call of an operation with its path (the source
// for OpenSource), before it is forwarded: a test can change the tree there,
// for example remove a source between the scan and the copy.
//
// The instances it makes for a run's workers forward to the workers'
// instances of the inner file system and count, fail and call |beforeCall|
// through this one, one call at a time.
#pragma once

#include <algorithm>
#include <chrono>
#include <thread>
#include <cerrno>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fs/FileSystem.h"

namespace trasvex::test {

class FaultyFileSystem final : public FileSystem {
 public:
  enum class Operation {
    kScan,
    kCreateDirectory,
    kOpenSource,
    kCreateTemporary,
    kCopyContents,
    kSourceUnchanged,
    kCopyStampAndMode,
    kCloseTemporary,
    kReplaceTarget,
    kFileAge,
    kSyncVolume,
    kExamine,
  };

  explicit FaultyFileSystem(FileSystem& inner) : inner_(inner), plan_(*this) {}

  // Makes call number |nth| (from 1) of |operation| fail.
  void FailOn(Operation operation, int nth) {
    std::lock_guard lock(mutex_);
    failures_[operation].push_back(nth);
  }
  // Makes every call of |operation| with |path| fail, whichever comes first.
  void FailFor(Operation operation, const std::string& path) {
    std::lock_guard lock(mutex_);
    failingPaths_.emplace(operation, path);
  }
  // No call fails any more.
  void Heal() {
    std::lock_guard lock(mutex_);
    failures_.clear();
    failingPaths_.clear();
  }
  int Calls(Operation operation) {
    std::lock_guard lock(mutex_);
    const auto found = calls_.find(operation);
    return found == calls_.end() ? 0 : found->second;
  }

  std::function<void(Operation, const std::string&)> beforeCall;
  // How many instances it made for workers.
  int instancesMade = 0;
  // A slow copy: the time each block of data takes, on top of its own.
  std::chrono::milliseconds blockDelay{0};
  std::function<void()> duringCopy;

  const PathStyle& Style() const override { return inner_.Style(); }
  std::string DateSeparator() const override { return inner_.DateSeparator(); }
  std::string TimeSeparator() const override { return inner_.TimeSeparator(); }
  bool IsDirectory(const std::string& path) override { return inner_.IsDirectory(path); }
  DosDateTime FileAge(const std::string& path, std::int64_t& instant,
                      std::int64_t& size) override {
    return Fails(Operation::kFileAge, path) ? Injected(kLookUpFailed, EIO)
                                            : Forwarded(inner_.FileAge(path, instant, size));
  }
  std::string VolumeOf(const std::string& path) override { return inner_.VolumeOf(path); }
  bool SyncVolume(const std::string& path) override {
    return Fails(Operation::kSyncVolume, path) ? Injected(false, EIO)
                                               : Forwarded(inner_.SyncVolume(path));
  }
  std::string ErrorText(int error) const override { return inner_.ErrorText(error); }
  std::string ResolvedPath(const std::string& path) override { return inner_.ResolvedPath(path); }
  bool SameFolder(const std::string& one, const std::string& other) override {
    return inner_.SameFolder(one, other);
  }
  void SetDestinationRoot(const std::string& root) override { inner_.SetDestinationRoot(root); }
  bool ReadWholeFile(const std::string& path, std::string& bytes) override {
    return inner_.ReadWholeFile(path, bytes);
  }
  void ReleaseHandles() override { inner_.ReleaseHandles(); }
  std::unique_ptr<FileSystem> ForWorker() override {
    {
      std::lock_guard lock(plan_.mutex_);  // walks ahead make workers on their threads
      ++plan_.instancesMade;
    }
    return Wrapped(inner_.ForWorker());
  }
  std::unique_ptr<FileSystem> ForWalk() override { return Wrapped(inner_.ForWalk()); }
  bool IsRemote(const std::string& path) override { return inner_.IsRemote(path); }

  bool CreateDirectory(const std::string& path, const std::string& model) override {
    return !Fails(Operation::kCreateDirectory, path) && inner_.CreateDirectory(path, model);
  }
  bool Scan(const std::string& pattern, unsigned attributeSet,
            std::vector<SearchEntry>& entries) override {
    if (!Fails(Operation::kScan, pattern)) {
      const bool complete = inner_.Scan(pattern, attributeSet, entries);
      MarkUnexamined(ParentPath(pattern, Style()), entries);
      return complete;
    }
    inner_.Scan(pattern, attributeSet, entries);
    std::erase_if(entries, [](const SearchEntry& entry) { return entry.IsDotOrDotDot(); });
    std::sort(entries.begin(), entries.end(),
              [](const SearchEntry& a, const SearchEntry& b) { return a.name < b.name; });
    entries.resize(entries.size() / 2);
    return false;
  }
  bool OpenSource(FileCopy& copy) override {
    return Fails(Operation::kOpenSource, copy.source) ? Injected(copy, EACCES)
                                                      : inner_.OpenSource(copy);
  }
  TargetState CheckTarget(FileCopy& copy) override { return inner_.CheckTarget(copy); }
  bool CreateTemporary(FileCopy& copy) override {
    return Fails(Operation::kCreateTemporary, copy.target) ? Injected(copy, ENOSPC)
                                                           : inner_.CreateTemporary(copy);
  }
  bool CopyContents(FileCopy& copy, const Progress& progress) override {
    const bool fails = Fails(Operation::kCopyContents, copy.target);
    const std::chrono::milliseconds delay = plan_.blockDelay;
    const Progress slowed = [&](std::int64_t copied, std::int64_t size) {
      std::this_thread::sleep_for(delay);
      if (plan_.duringCopy)
        plan_.duringCopy();
      return !progress || progress(copied, size);
    };
    const bool copied = inner_.CopyContents(copy, slowed);
    return fails ? Injected(copy, ENOSPC) : copied;
  }
  bool SourceUnchanged(FileCopy& copy) override {
    return !Fails(Operation::kSourceUnchanged, copy.target) && inner_.SourceUnchanged(copy);
  }
  bool CopyStampAndMode(FileCopy& copy) override {
    return Fails(Operation::kCopyStampAndMode, copy.target) ? Injected(copy, EPERM)
                                                   : inner_.CopyStampAndMode(copy);
  }
  bool CloseTemporary(FileCopy& copy) override {
    const bool fails = Fails(Operation::kCloseTemporary, copy.target);
    const bool closed = inner_.CloseTemporary(copy);
    return fails ? Injected(copy, EIO) : closed;
  }
  bool ReplaceTarget(FileCopy& copy, bool overwrite) override {
    return Fails(Operation::kReplaceTarget, copy.target) ? Injected(copy, EACCES)
                                                         : inner_.ReplaceTarget(copy, overwrite);
  }
  void RemoveTemporary(FileCopy& copy) override { inner_.RemoveTemporary(copy); }
  bool TargetMatchesSource(FileCopy& copy) override { return inner_.TargetMatchesSource(copy); }
  void CloseSource(FileCopy& copy) override { inner_.CloseSource(copy); }

 private:
  FaultyFileSystem(std::unique_ptr<FileSystem> inner, FaultyFileSystem& plan)
      : owned_(std::move(inner)), inner_(*owned_), plan_(plan) {}

  std::unique_ptr<FileSystem> Wrapped(std::unique_ptr<FileSystem> inner) {
    return inner ? std::unique_ptr<FileSystem>(new FaultyFileSystem(std::move(inner), plan_))
                 : nullptr;
  }
  // |value|, with the inner instance's last error as this one's.
  template <typename T>
  T Forwarded(T value) {
    lastError_ = inner_.LastError();
    return value;
  }
  // |value|, failing with the system's |error|.
  template <typename T>
  T Injected(T value, int error) {
    lastError_ = error;
    return value;
  }
  // A copy's step that fails with the system's |error|.
  static bool Injected(FileCopy& copy, int error) {
    copy.error = error;
    return false;
  }

  void MarkUnexamined(const std::string& directory, std::vector<SearchEntry>& entries) {
    for (SearchEntry& entry : entries)
      if (!entry.IsDotOrDotDot() &&
          Fails(Operation::kExamine, directory + Style().separator + entry.name))
        entry = {.name = entry.name, .error = EIO};
  }

  // Counts the call and tells whether it is one that fails.
  bool Fails(Operation operation, const std::string& path) {
    FaultyFileSystem& plan = plan_;
    std::lock_guard lock(plan.mutex_);
    if (plan.beforeCall)
      plan.beforeCall(operation, path);
    const int call = ++plan.calls_[operation];
    const std::vector<int>& failing = plan.failures_[operation];
    return std::find(failing.begin(), failing.end(), call) != failing.end() ||
           plan.failingPaths_.contains({operation, path});
  }

  std::unique_ptr<FileSystem> owned_;  // a worker's inner instance
  FileSystem& inner_;
  FaultyFileSystem& plan_;  // the instance that counts and fails
  std::recursive_mutex mutex_;
  std::map<Operation, int> calls_;
  std::map<Operation, std::vector<int>> failures_;
  std::set<std::pair<Operation, std::string>> failingPaths_;
};

}  // namespace trasvex::test
