// SPDX-License-Identifier: GPL-3.0-or-later
#include "MemoryTree.h"

#include <algorithm>

#include "TempTree.h"

namespace trasvex::test {

MemoryTree::MemoryTree(const std::vector<std::string>& description) {
  disk_.PutFolder(root_);
  for (const std::string& entry : description)
    Add(entry);
}

void MemoryTree::Add(const std::string& description) {
  const TempTree::Described entry = TempTree::Parse(description);
  if (entry.relative.ends_with('/')) {
    disk_.PutFolder(Path(entry.relative));
    return;
  }
  const std::time_t now = std::time(nullptr);
  disk_.PutFile(Path(entry.relative), TempTree::ContentOf(entry),
                entry.localTime.empty() ? now : TempTree::LocalTime(entry.localTime));
}

std::string MemoryTree::Path(const std::string& relative) const {
  return relative.empty() ? root_ : root_ + '/' + relative;
}

void MemoryTree::Write(const std::string& relative, const std::string& content) {
  disk_.PutFile(Path(relative), content, std::time(nullptr));
}

void MemoryTree::SetStamp(const std::string& relative, const std::string& localTime) {
  disk_.SetWriteTime(Path(relative), TempTree::LocalTime(localTime));
}

std::vector<std::string> MemoryTree::List(const std::string& relative) const {
  std::vector<std::string> names = disk_.Names(Path(relative));
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> MemoryTree::Entries() const {
  std::vector<std::string> entries;
  AddEntries("", entries);
  std::sort(entries.begin(), entries.end());
  return entries;
}

void MemoryTree::AddEntries(const std::string& relative, std::vector<std::string>& entries) const {
  for (const std::string& name : disk_.Names(Path(relative))) {
    const std::string inner = relative.empty() ? name : relative + '/' + name;
    const bool folder = disk_.IsDirectory(Path(inner));
    entries.push_back(folder ? inner + '/' : inner);
    if (folder)
      AddEntries(inner, entries);
  }
}

void MemoryTree::SetReadOnly(const std::string& relative) {
  disk_.SetMode(Path(relative), disk_.Mode(Path(relative)) & ~0200u);
}

}  // namespace trasvex::test
