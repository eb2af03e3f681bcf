// SPDX-License-Identifier: GPL-3.0-or-later
// TempTree's tree, built from the same descriptions, in a MemoryFileSystem:
// the same calls, without the disk.
#pragma once

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "MemoryFileSystem.h"

namespace trasvex::test {

class MemoryTree {
 public:
  explicit MemoryTree(const std::vector<std::string>& description = {});

  void Add(const std::string& description);
  // An instance of the memory file system on this tree.
  std::unique_ptr<FileSystem> OpenFileSystem() { return disk_.ForWorker(); }
  MemoryFileSystem& Disk() { return disk_; }

  std::string Path(const std::string& relative = "") const;
  const std::string& Root() const { return root_; }

  bool Exists(const std::string& relative) const { return disk_.Exists(Path(relative)); }
  std::string Read(const std::string& relative) const { return disk_.Content(Path(relative)); }
  void Write(const std::string& relative, const std::string& content);
  void SetStamp(const std::string& relative, const std::string& localTime);
  std::time_t Stamp(const std::string& relative) const { return disk_.WriteTime(Path(relative)); }
  unsigned Mode(const std::string& relative) const { return disk_.Mode(Path(relative)); }
  std::vector<std::string> List(const std::string& relative) const;
  std::vector<std::string> Entries() const;
  void Remove(const std::string& relative) { disk_.Remove(Path(relative)); }
  void SetReadOnly(const std::string& relative);

 private:
  // Adds the entries below |relative| to |entries|.
  void AddEntries(const std::string& relative, std::vector<std::string>& entries) const;

  mutable MemoryFileSystem disk_;  // FileSystem's own calls are not const
  std::string root_ = "/prueba";
};

}  // namespace trasvex::test
