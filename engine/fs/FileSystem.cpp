#include "FileSystem.h"

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
    copied = copied && ReplaceTarget(temporaryPath, target, state == TargetState::kReplaceable);
    if (!copied)
      RemoveTemporary(temporaryPath);
  }
  CloseSource(input);
  return copied;
}

}  // namespace trasvex
