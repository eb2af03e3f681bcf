// SPDX-License-Identifier: GPL-3.0-or-later
// Open handles of nested directories on POSIX systems: the directory worked
// in last and the ones above it that led there, each known by its path text.
// A directory inside one of them is opened by the rest of its path from
// there, so a walk does not make the kernel resolve the whole path again at
// every level, and going back up costs nothing. A path longer than the
// system takes in one call is opened a level at a time. The handles that all
// chains hold at once stay well within the descriptors the process may
// open, however many chains there are.
#pragma once

#include <dirent.h>

#include <string>
#include <string_view>
#include <vector>

namespace trasvex {

class DirectoryChain {
 public:
  // A chain of |pathsOnly| handles keeps handles that lead to names but do
  // not read the directory: opening one costs a network file system no
  // request. Its Entries opens a reading handle of its own.
  explicit DirectoryChain(bool pathsOnly = false) : pathsOnly_(pathsOnly) {}
  ~DirectoryChain() { Clear(); }
  DirectoryChain(const DirectoryChain&) = delete;
  DirectoryChain& operator=(const DirectoryChain&) = delete;

  // The handle of |directory| (which may end in "/"), opened if need be;
  // -1 with errno set when it cannot be opened. Handles of directories that
  // are not above |directory| are closed.
  int Open(std::string_view directory);
  // The entries of |directory| from the first, read through its handle;
  // null when it cannot be read. The stream stays the chain's.
  DIR* Entries(std::string_view directory);
  void Clear();
  // Below |root| (which is reached as it is written, links and all) every
  // level is opened by its own name, and a symbolic link there is never
  // followed; an empty root lifts the rule.
  void SetRoot(std::string_view root);
  // True when |path| lies below the root.
  bool Below(std::string_view path) const;
  const std::string& Root() const { return root_; }

 private:
  struct Link {
    std::string path;
    int fd = -1;
    DIR* entries = nullptr;  // owns fd once made, unless the chain keeps paths only
  };

  Link* OpenLink(std::string_view directory);
  void Close(Link& link) const;
  // Opens |name| inside the last link (or the working directory) and
  // appends it as the link of |path|; false when it cannot be opened.
  bool Push(std::string_view path, std::string_view name, bool followLink);
  void Pop();

  std::vector<Link> links_;  // each one inside the one before
  std::string root_;
  bool pathsOnly_;
};

}  // namespace trasvex
