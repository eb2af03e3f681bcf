// SPDX-License-Identifier: GPL-3.0-or-later
#include "fs/FileSystem.h"

namespace trasvex {

FileSystem::CopyResult FileSystem::CopyFile(const std::string& source, const std::string& target,
                                            bool targetAbsent, const Progress& progress) {
  lastError_ = 0;
  const Handle input = OpenSource(source);
  if (input == kNoHandle)
    return {CopyEnd::kFailed, lastError_};
  CopyResult result;
  std::string temporaryPath;
  const TargetState state = targetAbsent ? TargetState::kAbsent : CheckTarget(target);
  const Handle output =
      state != TargetState::kKept ? CreateTemporary(target, temporaryPath) : kNoHandle;
  if (output != kNoHandle) {
    result = Fill(input, output, progress);
    if (!CloseTemporary(output) && result.Copied())
      result = {CopyEnd::kFailed, lastError_};
    const bool done = result.Copied() &&
                ReplaceTarget(temporaryPath, target, state == TargetState::kReplaceable);
    if (result.Copied() && !done) {
      result = {CopyEnd::kFailed, lastError_};
      // A file that appeared meanwhile is kept; when it is this source's
      // copy (another run was first), the work is done all the same.
      if (state == TargetState::kAbsent && TargetMatchesSource(input, target))
        result = {CopyEnd::kCopied, 0};
    }
    if (!done)
      RemoveTemporary(temporaryPath);
  } else {
    result = {state == TargetState::kKept && lastError_ == 0 ? CopyEnd::kKept : CopyEnd::kFailed,
              lastError_};
  }
  CloseSource(input);
  return result;
}

FileSystem::CopyResult FileSystem::Fill(Handle input, Handle output, const Progress& progress) {
  bool stopped = false;
  const Progress watched = [&](std::int64_t copied, std::int64_t size) {
    stopped = progress && !progress(copied, size);
    return !stopped;
  };
  if (!CopyContents(input, output, watched))
    return {stopped ? CopyEnd::kCancelled : lastError_ ? CopyEnd::kFailed : CopyEnd::kChanged,
            lastError_};
  if (!SourceUnchanged(input))
    return {CopyEnd::kChanged, 0};
  if (!CopyStampAndMode(input, output))
    return {CopyEnd::kFailed, lastError_};
  return {CopyEnd::kCopied, 0};
}

}  // namespace trasvex
