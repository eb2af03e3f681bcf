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
//
// |beforeCall| sees every call of an operation with its path (the source
// for OpenSource), before it is forwarded: a test can change the tree there,
// for example remove a source between the scan and the copy.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <string>
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
  };

  explicit FaultyFileSystem(FileSystem& inner) : inner_(inner) {}

  // Makes call number |nth| (from 1) of |operation| fail.
  void FailOn(Operation operation, int nth) { failures_[operation].push_back(nth); }
  int Calls(Operation operation) const {
    const auto found = calls_.find(operation);
    return found == calls_.end() ? 0 : found->second;
  }

  std::function<void(Operation, const std::string&)> beforeCall;

  const PathStyle& Style() const override { return inner_.Style(); }
  std::string DateSeparator() const override { return inner_.DateSeparator(); }
  std::string TimeSeparator() const override { return inner_.TimeSeparator(); }
  bool IsDirectory(const std::string& path) override { return inner_.IsDirectory(path); }
  DosDateTime FileAge(const std::string& path, std::int64_t& instant) override {
    return inner_.FileAge(path, instant);
  }
  void SetDestinationRoot(const std::string& root) override { inner_.SetDestinationRoot(root); }
  bool ReadWholeFile(const std::string& path, std::string& bytes) override {
    return inner_.ReadWholeFile(path, bytes);
  }
  void ReleaseHandles() override { inner_.ReleaseHandles(); }

  bool CreateDirectory(const std::string& path, const std::string& model) override {
    return !Fails(Operation::kCreateDirectory, path) && inner_.CreateDirectory(path, model);
  }
  bool Scan(const std::string& pattern, unsigned attributeSet,
            std::vector<SearchEntry>& entries) override {
    if (!Fails(Operation::kScan, pattern))
      return inner_.Scan(pattern, attributeSet, entries);
    inner_.Scan(pattern, attributeSet, entries);
    std::erase_if(entries, [](const SearchEntry& entry) { return entry.IsDotOrDotDot(); });
    std::sort(entries.begin(), entries.end(),
              [](const SearchEntry& a, const SearchEntry& b) { return a.name < b.name; });
    entries.resize(entries.size() / 2);
    return false;
  }
  Handle OpenSource(const std::string& path) override {
    return Fails(Operation::kOpenSource, path) ? kNoHandle : inner_.OpenSource(path);
  }
  bool TargetReplaceable(const std::string& target) override {
    return inner_.TargetReplaceable(target);
  }
  Handle CreateTemporary(const std::string& target, std::string& temporaryPath) override {
    return Fails(Operation::kCreateTemporary, target)
               ? kNoHandle
               : inner_.CreateTemporary(target, temporaryPath);
  }
  bool CopyContents(Handle source, Handle temporary) override {
    const bool fails = Fails(Operation::kCopyContents, "");
    return inner_.CopyContents(source, temporary) && !fails;
  }
  bool SourceUnchanged(Handle source) override {
    return !Fails(Operation::kSourceUnchanged, "") && inner_.SourceUnchanged(source);
  }
  bool CopyStampAndMode(Handle source, Handle temporary) override {
    return !Fails(Operation::kCopyStampAndMode, "") &&
           inner_.CopyStampAndMode(source, temporary);
  }
  bool CloseTemporary(Handle temporary) override {
    const bool fails = Fails(Operation::kCloseTemporary, "");
    return inner_.CloseTemporary(temporary) && !fails;
  }
  bool ReplaceTarget(const std::string& temporaryPath, const std::string& target) override {
    return !Fails(Operation::kReplaceTarget, target) &&
           inner_.ReplaceTarget(temporaryPath, target);
  }
  void RemoveTemporary(const std::string& temporaryPath) override {
    inner_.RemoveTemporary(temporaryPath);
  }
  void CloseSource(Handle source) override { inner_.CloseSource(source); }

 private:
  // Counts the call and tells whether it is one that fails.
  bool Fails(Operation operation, const std::string& path) {
    if (beforeCall)
      beforeCall(operation, path);
    const int call = ++calls_[operation];
    const std::vector<int>& failing = failures_[operation];
    return std::find(failing.begin(), failing.end(), call) != failing.end();
  }

  FileSystem& inner_;
  std::map<Operation, int> calls_;
  std::map<Operation, std::vector<int>> failures_;
};

}  // namespace trasvex::test
