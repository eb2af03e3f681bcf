// SPDX-License-Identifier: GPL-3.0-or-later
// A temporary directory tree built from a compact description, removed with
// everything in it when the test ends.
//
//   TempTree tree({"src/a.txt 2020-01-02 10:00:00",      // file, stamp
//                  "src/big.bin 2020-01-02 10:00:00 1536",  // and size
//                  "src/sub/"});                             // directory
//
// Descriptions separate names with "/", which Path() turns into the
// platform's separator; a name that begins with "." is hidden (on Windows
// the tree sets the attribute). Stamps are local times. A file's content is
// its size in bytes of 'x', or its own path when no size is given.
#pragma once

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "fs/FileSystem.h"

namespace trasvex::test {

class TempTree {
 public:
  // The tree is made in |folder|, or in the system's temporary folder.
  explicit TempTree(const std::vector<std::string>& description = {},
                    const std::string& folder = "");
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // One description taken apart: the relative path ("/" at its end for a
  // directory), the local time ("" for none) and the size (-1 for none).
  struct Described {
    std::string relative;
    std::string localTime;
    long long size = -1;
  };
  static Described Parse(const std::string& description);
  // A file's content as a description gives it.
  static std::string ContentOf(const Described& entry);

  // Adds one described entry.
  void Add(const std::string& description);
  // The file system that holds the tree: the platform's own.
  std::unique_ptr<FileSystem> OpenFileSystem() const { return FileSystem::CreateNative(); }
  // The absolute path of |relative| inside the tree, with the platform's
  // separators.
  std::string Path(const std::string& relative = "") const;
  const std::string& Root() const { return root_; }

  bool Exists(const std::string& relative) const;
  std::string Read(const std::string& relative) const;
  void Write(const std::string& relative, const std::string& content) const;
  void SetStamp(const std::string& relative, const std::string& localTime) const;
  std::time_t Stamp(const std::string& relative) const;
  unsigned Mode(const std::string& relative) const;
  // The names in a directory, sorted, "." and ".." left out.
  std::vector<std::string> List(const std::string& relative) const;
  // Every entry of the tree, relative, with "/" between names and at the
  // end of a directory, sorted.
  std::vector<std::string> Entries() const;
  // Removes |relative| with everything in it; nothing when it is not there.
  void Remove(const std::string& relative) const;
  // Takes away the owner's write bit.
  void SetReadOnly(const std::string& relative) const;

  static std::time_t LocalTime(const std::string& text);  // "yyyy-mm-dd hh:mm:ss"

 private:
  std::string root_;
};

}  // namespace trasvex::test
