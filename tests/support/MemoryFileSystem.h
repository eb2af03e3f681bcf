// SPDX-License-Identifier: GPL-3.0-or-later
// A FileSystem whose tree lives in memory, for the tests of the walk that
// do not test a backend: no disk, no timing of the disk, and a log of what
// was asked of the tree.
//
// It keeps the POSIX backend's rules where the walk sees them:
// - paths in POSIX style, names compared with their case; "//" is one
//   separator, and "." and ".." are resolved by name (there are no links);
//   a relative path starts at "/";
// - hidden: a name that begins with "." ("." and ".." excepted); system:
//   an entry made with PutSpecial (a FIFO, a socket, a device);
// - read-only: a file without its owner's write bit; a folder without it
//   takes no new entry;
// - a scan returns "." and ".." first, then the names in an order of their
//   own (neither alphabetical nor that of their making, as in a hashed
//   folder of a disk), and filters attributes as the backends do;
// - stamps: the write time in local time, packed as a DosDateTime;
// - a copy writes a temporary file beside its target, which a rename puts
//   in its place; an open source keeps its data when its name is replaced.
// Its instances for a run's workers (ForWorker) share the one tree, each
// call under its mutex.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "fs/FileSystem.h"

namespace trasvex::test {

class MemoryFileSystem final : public FileSystem {
 public:
  MemoryFileSystem();

  // The test's side, which builds and reads the tree and is not logged.
  // Parents are made as needed; the times are seconds since the epoch.
  // PutFile writes over an existing file and leaves a folder as it is.
  void PutFolder(const std::string& path);
  void PutFile(const std::string& path, const std::string& content, std::time_t writeTime);
  void PutSpecial(const std::string& path);
  void SetWriteTime(const std::string& path, std::time_t writeTime);
  void SetMode(const std::string& path, unsigned mode);
  // Removes |path| with everything in it; nothing when it is not there.
  void Remove(const std::string& path);
  bool Exists(const std::string& path) const;
  std::string Content(const std::string& path) const;
  std::time_t WriteTime(const std::string& path) const;
  unsigned Mode(const std::string& path) const;
  // The names in the folder |path|, in scan order.
  std::vector<std::string> Names(const std::string& path) const;
  // Every request of the engine about a path in |folder| waits until Hold
  // is called again for another folder (none when empty): a destination
  // that does not answer. Resolving a path is not held.
  void Hold(const std::string& folder);
  // What the engine changed in the tree, in order: "mkdir P", "create P"
  // (a temporary file), "rename P -> Q", "remove P", "sync P".
  std::vector<std::string> Log() const;

  const PathStyle& Style() const override { return PathStyle::Posix; }
  std::string DateSeparator() const override { return "/"; }
  std::string TimeSeparator() const override { return ":"; }

  bool IsDirectory(const std::string& path) override;
  using FileSystem::FileAge;
  DosDateTime FileAge(const std::string& path, std::int64_t& instant,
                      std::int64_t& size) override;
  bool CreateDirectory(const std::string& path, const std::string& model) override;
  void SetDestinationRoot(const std::string&) override {}
  bool Scan(const std::string& pattern, unsigned attributeSet,
            std::vector<SearchEntry>& entries) override;
  bool ReadWholeFile(const std::string& path, std::string& bytes) override;
  std::string ErrorText(int error) const override;
  std::string VolumeOf(const std::string& path) override;
  bool SyncVolume(const std::string& path) override;
  std::string ResolvedPath(const std::string& path) override;
  bool SameFolder(const std::string& one, const std::string& other) override;
  std::unique_ptr<FileSystem> ForWorker() override;

  bool OpenSource(FileCopy& copy) override;
  TargetState CheckTarget(FileCopy& copy) override;
  bool CreateTemporary(FileCopy& copy) override;
  bool CopyContents(FileCopy& copy, const Progress& progress) override;
  bool SourceUnchanged(FileCopy& copy) override;
  bool CopyStampAndMode(FileCopy& copy) override;
  bool CloseTemporary(FileCopy& copy) override;
  bool ReplaceTarget(FileCopy& copy, bool overwrite) override;
  bool TargetMatchesSource(FileCopy& copy) override;
  void RemoveTemporary(FileCopy& copy) override;
  void CloseSource(FileCopy& copy) override;

 private:
  struct Node {
    enum class Kind { kFile, kFolder, kSpecial } kind = Kind::kFile;
    std::string content;
    unsigned mode = 0644;
    std::int64_t writeTime = 0;
    long writeNanoseconds = 0;
    std::vector<std::string> names;  // a folder's entries, in scan order
  };
  using NodePtr = std::shared_ptr<Node>;
  // The tree and the open files, shared by a run's instances.
  struct Tree {
    mutable std::mutex mutex;
    std::map<std::string, NodePtr> nodes;  // by normal path; "/" is the root
    std::map<Handle, NodePtr> open;
    Handle nextHandle = 1;
    unsigned temporaryCounter = 0;
    std::vector<std::string> log;
    std::string held;  // the folder Hold holds
    std::condition_variable released;
  };

  explicit MemoryFileSystem(std::shared_ptr<Tree> tree) : tree_(std::move(tree)) {}
  // A folder made now.
  static NodePtr NewFolder(unsigned mode);

  // The tree's lock, once |path| is not held.
  std::unique_lock<std::mutex> Lock(const std::string& path) const;

  // The following take the tree's lock before they are called.
  // The node at |path|; null with |error| set when there is none.
  NodePtr Find(const std::string& path, int& error) const;
  NodePtr Find(const std::string& path) const;
  // Adds |node| at |path| (its parent must be a folder that takes it);
  // the error number, 0 on success.
  int Insert(const std::string& path, NodePtr node);
  void Erase(const std::string& path);
  // Makes the folders up to |path|'s parent, for the test's side.
  void MakeParents(const std::string& path);
  Handle Open(NodePtr node);

  std::shared_ptr<Tree> tree_;
};

}  // namespace trasvex::test
