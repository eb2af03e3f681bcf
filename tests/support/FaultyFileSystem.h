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
//   Examine           a scanned entry of that path (directory and name)
//                     comes back unexamined, with an input/output error
//
// |blockDelay| slows every block of a copy's data down, as a slow link would.
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
  int Calls(Operation operation) {
    std::lock_guard lock(mutex_);
    const auto found = calls_.find(operation);
    return found == calls_.end() ? 0 : found->second;
  }

  std::function<void(Operation, const std::string&)> beforeCall;
  // A slow copy: the time each block of data takes, on top of its own.
  std::chrono::milliseconds blockDelay{0};

  const PathStyle& Style() const override { return inner_.Style(); }
  std::string DateSeparator() const override { return inner_.DateSeparator(); }
  std::string TimeSeparator() const override { return inner_.TimeSeparator(); }
  bool IsDirectory(const std::string& path) override { return inner_.IsDirectory(path); }
  DosDateTime FileAge(const std::string& path, std::int64_t& instant) override {
    return Fails(Operation::kFileAge, path) ? Injected(kLookUpFailed, EIO)
                                            : Forwarded(inner_.FileAge(path, instant));
  }
  std::string ErrorText(int error) const override { return inner_.ErrorText(error); }
  void SetDestinationRoot(const std::string& root) override { inner_.SetDestinationRoot(root); }
  bool ReadWholeFile(const std::string& path, std::string& bytes) override {
    return inner_.ReadWholeFile(path, bytes);
  }
  void ReleaseHandles() override { inner_.ReleaseHandles(); }
  std::unique_ptr<FileSystem> ForWorker() override {
    std::unique_ptr<FileSystem> inner = inner_.ForWorker();
    return inner ? std::unique_ptr<FileSystem>(new FaultyFileSystem(std::move(inner), plan_))
                 : nullptr;
  }
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
  Handle OpenSource(const std::string& path) override {
    return Fails(Operation::kOpenSource, path) ? Injected(kNoHandle, EACCES)
                                               : Forwarded(inner_.OpenSource(path));
  }
  TargetState CheckTarget(const std::string& target) override {
    return Forwarded(inner_.CheckTarget(target));
  }
  Handle CreateTemporary(const std::string& target, std::string& temporaryPath) override {
    return Fails(Operation::kCreateTemporary, target)
               ? Injected(kNoHandle, ENOSPC)
               : Forwarded(inner_.CreateTemporary(target, temporaryPath));
  }
  bool CopyContents(Handle source, Handle temporary, const Progress& progress) override {
    const bool fails = Fails(Operation::kCopyContents, "");
    const std::chrono::milliseconds delay = plan_.blockDelay;
    const Progress slowed = [&](std::int64_t copied, std::int64_t size) {
      std::this_thread::sleep_for(delay);
      return !progress || progress(copied, size);
    };
    const bool copied = Forwarded(inner_.CopyContents(source, temporary, slowed));
    return fails ? Injected(false, ENOSPC) : copied;
  }
  bool SourceUnchanged(Handle source) override {
    return !Fails(Operation::kSourceUnchanged, "") && inner_.SourceUnchanged(source);
  }
  bool CopyStampAndMode(Handle source, Handle temporary) override {
    return Fails(Operation::kCopyStampAndMode, "")
               ? Injected(false, EPERM)
               : Forwarded(inner_.CopyStampAndMode(source, temporary));
  }
  bool CloseTemporary(Handle temporary) override {
    const bool fails = Fails(Operation::kCloseTemporary, "");
    const bool closed = Forwarded(inner_.CloseTemporary(temporary));
    return fails ? Injected(false, EIO) : closed;
  }
  bool ReplaceTarget(const std::string& temporaryPath, const std::string& target,
                     bool overwrite) override {
    return Fails(Operation::kReplaceTarget, target)
               ? Injected(false, EACCES)
               : Forwarded(inner_.ReplaceTarget(temporaryPath, target, overwrite));
  }
  void RemoveTemporary(const std::string& temporaryPath) override {
    inner_.RemoveTemporary(temporaryPath);
  }
  bool TargetMatchesSource(Handle source, const std::string& target) override {
    return inner_.TargetMatchesSource(source, target);
  }
  void CloseSource(Handle source) override { inner_.CloseSource(source); }

 private:
  FaultyFileSystem(std::unique_ptr<FileSystem> inner, FaultyFileSystem& plan)
      : owned_(std::move(inner)), inner_(*owned_), plan_(plan) {}

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
