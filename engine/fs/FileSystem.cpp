#include "fs/FileSystem.h"

namespace trasvex {

bool FileSystem::CopyFile(const std::string& source, const std::string& target,
                          bool targetAbsent) {
  const Handle input = OpenSource(source);
  if (input == kNoHandle)
    return false;
  bool copied = false;
  std::string temporaryPath;
  const TargetState state = targetAbsent ? TargetState::kAbsent : CheckTarget(target);
  const Handle output =
      state != TargetState::kKept ? CreateTemporary(target, temporaryPath) : kNoHandle;
  if (output != kNoHandle) {
    copied = CopyContents(input, output) && SourceUnchanged(input) &&
             CopyStampAndMode(input, output);
    copied = CloseTemporary(output) && copied;
    if (!copied || !ReplaceTarget(temporaryPath, target, state == TargetState::kReplaceable)) {
      RemoveTemporary(temporaryPath);
      // A file that appeared meanwhile is kept; when it is this source's
      // copy (another run was first), the work is done all the same.
      copied = copied && state == TargetState::kAbsent && TargetMatchesSource(input, target);
    }
  }
  CloseSource(input);
  return copied;
}

}  // namespace trasvex
