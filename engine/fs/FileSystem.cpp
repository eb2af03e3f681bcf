// SPDX-License-Identifier: GPL-3.0-or-later
#include "fs/FileSystem.h"

#include <filesystem>
#include <system_error>

namespace trasvex {

namespace {

std::filesystem::path PathOf(const std::string& text) {
  return std::u8string(text.begin(), text.end());
}

}  // namespace

std::string FileSystem::SystemResolvedPath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(PathOf(path), error);
  if (error)
    return path;
  const std::u8string text = resolved.u8string();
  return std::string(text.begin(), text.end());
}

bool FileSystem::SystemSameFolder(const std::string& one, const std::string& other) {
  std::error_code error;
  return std::filesystem::equivalent(PathOf(one), PathOf(other), error);
}

FileSystem::CopyResult FileSystem::CopyFile(const std::string& source, const std::string& target,
                                            bool targetAbsent, const Progress& progress) {
  FileCopy copy;
  copy.source = source;
  copy.target = target;
  if (!OpenSource(copy))
    return {CopyEnd::kFailed, copy.error};
  CopyResult result;
  const TargetState state = targetAbsent ? TargetState::kAbsent : CheckTarget(copy);
  const bool writable = state == TargetState::kAbsent || state == TargetState::kReplaceable;
  if (writable && CreateTemporary(copy)) {
    result = Fill(copy, progress);
    if (!CloseTemporary(copy) && result.Copied())
      result = {CopyEnd::kFailed, copy.error};
    const bool done = result.Copied() && ReplaceTarget(copy, state == TargetState::kReplaceable);
    if (result.Copied() && !done) {
      result = {CopyEnd::kFailed, copy.error};
      // A file that appeared meanwhile is kept; when it is this source's
      // copy (another run was first), the work is done all the same.
      if (state == TargetState::kAbsent && TargetMatchesSource(copy))
        result = {CopyEnd::kCopied, 0};
    }
    if (!done)
      RemoveTemporary(copy);
  } else {
    const bool kept = !writable && state != TargetState::kUnknown;
    result = {kept ? CopyEnd::kKept : CopyEnd::kFailed, copy.error, state};
  }
  CloseSource(copy);
  return result;
}

FileSystem::CopyResult FileSystem::Fill(FileCopy& copy, const Progress& progress) {
  bool stopped = false;
  const Progress watched = [&](std::int64_t copied, std::int64_t size) {
    stopped = progress && !progress(copied, size);
    return !stopped;
  };
  if (!CopyContents(copy, watched))
    return {stopped ? CopyEnd::kCancelled : copy.error ? CopyEnd::kFailed : CopyEnd::kChanged,
            copy.error};
  if (!SourceUnchanged(copy))
    return {CopyEnd::kChanged, 0};
  if (!CopyStampAndMode(copy))
    return {CopyEnd::kFailed, copy.error};
  return {CopyEnd::kCopied, 0};
}

}  // namespace trasvex
