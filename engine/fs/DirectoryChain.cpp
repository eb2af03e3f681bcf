#include "DirectoryChain.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#ifndef O_PATH
#define O_PATH O_RDONLY
#endif

namespace trasvex {

namespace {

// More nested handles than this are given up, and the chain starts again
// from the whole path, so a deep tree cannot exhaust the descriptors.
constexpr std::size_t kMostLinks = 64;

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
  } else {
    link->entries = ::fdopendir(link->fd);  // fails on a handle without read access
  }
  return link->entries;
}

DirectoryChain::Link* DirectoryChain::OpenLink(std::string_view directory) {
  std::optional<std::string_view> below;
  while (!links_.empty() && !(below = PathBelow(directory, links_.back().path)))
    Pop();
  if (links_.size() >= kMostLinks)
    Clear();
  int base = AT_FDCWD;
  std::string_view rest = directory;
  if (!links_.empty()) {
    base = links_.back().fd;
    rest = *below;
    if (rest.empty())
      return &links_.back();
  }
  const std::string name(rest);
  // A directory that may be searched but not read still leads further down.
  int fd = ::openat(base, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
  if (fd == -1 && errno == EACCES)
    fd = ::openat(base, name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd == -1)
    return nullptr;
  links_.push_back({std::string(directory), fd, nullptr});
  return &links_.back();
}

void DirectoryChain::Pop() {
  Link& link = links_.back();
  if (link.entries)
    ::closedir(link.entries);
  else
    ::close(link.fd);
  links_.pop_back();
}

void DirectoryChain::Clear() {
  while (!links_.empty())
    Pop();
}

}  // namespace trasvex
