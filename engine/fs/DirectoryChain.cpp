// SPDX-License-Identifier: GPL-3.0-or-later
#include "fs/DirectoryChain.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <optional>

#ifndef O_PATH
#define O_PATH O_RDONLY
#endif

namespace trasvex {

namespace {

// More nested handles than this are not kept by one chain: the outermost
// ones are let go, so a deep tree cannot exhaust the descriptors.
constexpr std::size_t kMostLinks = 64;
// Nor by all chains together (each worker of a run has its own) more than a
// quarter of the descriptors the process may open, but for the two last of
// each chain, which the next handle is opened from.
constexpr std::size_t kKeptLinks = 2;
std::atomic<std::size_t> heldLinks{0};
std::atomic<std::size_t> linkBudget{kMostLinks};

std::size_t LinkBudgetNow() {
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
    return kMostLinks * 16;
  return std::max<std::size_t>(kMostLinks / 4, std::size_t(limit.rlim_cur / 4));
}

// The rest of |directory| below |held|, without the separators that lead
// into it, when |held| is |directory| or a directory above it; paths are
// compared by whole names, so "a/bc" does not lie below "a/b". Nothing when
// |directory| is elsewhere.
std::optional<std::string_view> PathBelow(std::string_view directory, std::string_view held) {
  if (held.empty() || !directory.starts_with(held))
    return std::nullopt;
  std::string_view rest = directory.substr(held.size());
  if (!rest.empty() && !held.ends_with('/') && !rest.starts_with('/'))
    return std::nullopt;  // |held| ends part-way through a name
  while (rest.starts_with('/'))
    rest.remove_prefix(1);
  return rest;
}

// True when |directory| is |held| or lies below it.
bool Within(std::string_view directory, std::string_view held) {
  return PathBelow(directory, held).has_value();
}

}  // namespace

int DirectoryChain::Open(std::string_view directory) {
  const Link* link = OpenLink(directory);
  return link ? link->fd : -1;
}

DIR* DirectoryChain::Entries(std::string_view directory) {
  Link* link = OpenLink(directory);
  if (!link)
    return nullptr;
  if (link->entries) {
    ::rewinddir(link->entries);
    return link->entries;
  }
  const int fd =
      pathsOnly_ ? ::openat(link->fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK)
                 : link->fd;
  link->entries = fd == -1 ? nullptr : ::fdopendir(fd);  // fails without read access
  if (!link->entries && fd != link->fd && fd != -1)
    ::close(fd);
  return link->entries;
}

DirectoryChain::Link* DirectoryChain::OpenLink(std::string_view directory) {
  while (!links_.empty() && !Within(directory, links_.back().path))
    Pop();
  const bool below = Below(directory);
  for (;;) {
    std::size_t start = 0;
    if (!links_.empty()) {
      // Every link on the chain leads to |directory| by whole names.
      const std::string_view rest = *PathBelow(directory, links_.back().path);
      if (rest.empty())
        return &links_.back();
      start = directory.size() - rest.size();
    }
    // The root as it is written, below it one name at a time without
    // following a link, elsewhere the whole rest; a step longer than the
    // system takes goes a name at a time.
    const bool atRoot = below && !links_.empty() && Within(links_.back().path, root_);
    std::size_t end = !below ? directory.size() : atRoot ? directory.find('/', start)
                                                         : root_.size();
    if (end == std::string_view::npos || end - start >= PATH_MAX)
      end = std::min(directory.find('/', start + 1), directory.size());
    if (!Push(directory.substr(0, end), directory.substr(start, end - start), !atRoot))
      return nullptr;
  }
}

bool DirectoryChain::Push(std::string_view path, std::string_view name, bool followLink) {
  if (links_.size() >= kMostLinks ||
      (links_.size() >= kKeptLinks && heldLinks.load() >= linkBudget.load())) {
    Close(links_.front());
    links_.erase(links_.begin());
  }
  const int base = links_.empty() ? AT_FDCWD : links_.back().fd;
  const std::string text(name);
  const int flags = O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
  // A directory that may be searched but not read still leads further down.
  int fd = ::openat(base, text.c_str(), (pathsOnly_ ? O_PATH : O_RDONLY | O_NONBLOCK) | flags);
  if (fd == -1 && errno == EACCES && !pathsOnly_)
    fd = ::openat(base, text.c_str(), O_PATH | flags);
  if (fd == -1)
    return false;
  links_.push_back({std::string(path), fd, nullptr});
  ++heldLinks;
  return true;
}

void DirectoryChain::Close(Link& link) const {
  if (link.entries)
    ::closedir(link.entries);
  if (!link.entries || pathsOnly_)
    ::close(link.fd);
  --heldLinks;
}

void DirectoryChain::Pop() {
  Close(links_.back());
  links_.pop_back();
}

void DirectoryChain::Clear() {
  while (!links_.empty())
    Pop();
  linkBudget = LinkBudgetNow();
}

void DirectoryChain::SetRoot(std::string_view root) {
  while (root.size() > 1 && root.ends_with('/'))
    root.remove_suffix(1);
  if (root == root_)
    return;
  Clear();  // what was opened may have followed a link below the new root
  root_.assign(root);
}

bool DirectoryChain::Below(std::string_view path) const {
  if (root_.empty() || !Within(path, root_))
    return false;
  path.remove_prefix(root_.size());
  return path.find_first_not_of('/') != std::string_view::npos;
}

}  // namespace trasvex
