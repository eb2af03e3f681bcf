// SPDX-License-Identifier: GPL-3.0-or-later
#include "MemoryFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <system_error>

#include "fs/TemporaryName.h"

namespace trasvex::test {

namespace {

constexpr unsigned kOwnerWrite = 0200;
// The most one step of a copy moves, so that its progress is heard of.
constexpr std::size_t kBlock = 1 << 20;
constexpr unsigned long kProcess = 1;

// |path| with "." and ".." resolved and one "/" between names, from "/".
std::string Normal(std::string_view path) {
  std::vector<std::string_view> names;
  while (!path.empty()) {
    const std::size_t slash = path.find('/');
    const std::string_view name = path.substr(0, slash);
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    if (name == "..") {
      if (!names.empty())
        names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
  }
  std::string normal;
  for (const std::string_view name : names)
    normal.append(1, '/').append(name);
  return normal.empty() ? "/" : normal;
}

std::string ParentOf(const std::string& normal) {
  const std::size_t slash = normal.rfind('/');
  return slash == 0 ? "/" : normal.substr(0, slash);
}

std::string NameOf(const std::string& normal) { return normal.substr(normal.rfind('/') + 1); }

std::string Joined(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

// Where |name| stands among the names of its folder: an order of the names
// themselves, as in a hashed folder of a disk, neither alphabetical nor
// that of their making.
std::pair<std::uint32_t, std::string_view> NameOrder(std::string_view name) {
  std::uint32_t hash = 2166136261u;
  for (const char c : name)
    hash = (hash ^ std::uint8_t(c)) * 16777619u;
  return {hash, name};
}

bool IsHiddenName(std::string_view name) {
  return name.starts_with('.') && name != "." && name != "..";
}

DosDateTime StampOf(std::int64_t seconds) {
  const std::time_t time = std::time_t(seconds);
  std::tm local{};
#ifdef _WIN32
  const bool known = ::localtime_s(&local, &time) == 0;
#else
  const bool known = ::localtime_r(&time, &local) != nullptr;
#endif
  if (!known)
    local.tm_year = seconds < 0 ? 0 : 9999;  // clamped by the packing
  return PackDosDateTime(local);
}

}  // namespace

MemoryFileSystem::MemoryFileSystem() : tree_(std::make_shared<Tree>()) {
  tree_->nodes.emplace("/", NewFolder(0755));
}

std::unique_ptr<FileSystem> MemoryFileSystem::ForWorker() {
  return std::unique_ptr<FileSystem>(new MemoryFileSystem(tree_));
}

MemoryFileSystem::NodePtr MemoryFileSystem::Find(const std::string& path, int& error) const {
  const std::string normal = Normal(path);
  const auto found = tree_->nodes.find(normal);
  // A path that ends in "/" names a folder only.
  const bool folderOnly = path.size() > 1 && path.ends_with('/');
  if (found != tree_->nodes.end() &&
      (!folderOnly || found->second->kind == Node::Kind::kFolder))
    return found->second;
  error = found != tree_->nodes.end() ? ENOTDIR : ENOENT;
  for (std::string up = normal; error == ENOENT && up != "/";) {
    up = ParentOf(up);
    const auto parent = tree_->nodes.find(up);
    if (parent != tree_->nodes.end() && parent->second->kind != Node::Kind::kFolder)
      error = ENOTDIR;
  }
  return nullptr;
}

MemoryFileSystem::NodePtr MemoryFileSystem::Find(const std::string& path) const {
  int error;
  return Find(path, error);
}

int MemoryFileSystem::Insert(const std::string& path, NodePtr node) {
  const std::string normal = Normal(path);
  int error = 0;
  const NodePtr parent = Find(ParentOf(normal), error);
  if (!parent)
    return error;
  if (parent->kind != Node::Kind::kFolder)
    return ENOTDIR;
  if (!(parent->mode & kOwnerWrite))
    return EACCES;
  if (tree_->nodes.contains(normal))
    return EEXIST;
  const std::string name = NameOf(normal);
  parent->names.insert(std::upper_bound(parent->names.begin(), parent->names.end(), name,
                                        [](const std::string& a, const std::string& b) {
                                          return NameOrder(a) < NameOrder(b);
                                        }),
                       name);
  tree_->nodes.emplace(normal, std::move(node));
  return 0;
}

void MemoryFileSystem::Erase(const std::string& path) {
  const std::string normal = Normal(path);
  const NodePtr node = Find(normal);
  if (!node || normal == "/")
    return;
  for (const std::string& name : std::vector<std::string>(node->names))
    Erase(Joined(normal, name));
  std::erase(Find(ParentOf(normal))->names, NameOf(normal));
  tree_->nodes.erase(normal);
}

void MemoryFileSystem::MakeParents(const std::string& path) {
  const std::string parent = ParentOf(Normal(path));
  if (Find(parent))
    return;
  MakeParents(parent);
  Insert(parent, NewFolder(0755));
}

MemoryFileSystem::NodePtr MemoryFileSystem::NewFolder(unsigned mode) {
  auto folder = std::make_shared<Node>();
  folder->kind = Node::Kind::kFolder;
  folder->mode = mode;
  folder->writeTime = std::time(nullptr);
  return folder;
}

FileSystem::Handle MemoryFileSystem::Open(NodePtr node) {
  const Handle handle = tree_->nextHandle++;
  tree_->open.emplace(handle, std::move(node));
  return handle;
}

void MemoryFileSystem::PutFolder(const std::string& path) {
  std::lock_guard lock(tree_->mutex);
  MakeParents(path);
  Insert(path, NewFolder(0755));
}

void MemoryFileSystem::PutFile(const std::string& path, const std::string& content,
                               std::time_t writeTime) {
  std::lock_guard lock(tree_->mutex);
  MakeParents(path);
  // An existing file is written over, keeping its mode; a folder stays.
  NodePtr file = Find(path);
  if (!file) {
    file = std::make_shared<Node>();
    Insert(path, file);
  }
  if (file->kind != Node::Kind::kFile)
    return;
  file->content = content;
  file->writeTime = writeTime;
}

void MemoryFileSystem::PutSpecial(const std::string& path) {
  std::lock_guard lock(tree_->mutex);
  MakeParents(path);
  auto special = std::make_shared<Node>();
  special->kind = Node::Kind::kSpecial;
  Insert(path, std::move(special));
}

void MemoryFileSystem::SetWriteTime(const std::string& path, std::time_t writeTime) {
  std::lock_guard lock(tree_->mutex);
  if (const NodePtr node = Find(path))
    node->writeTime = writeTime;
}

void MemoryFileSystem::SetMode(const std::string& path, unsigned mode) {
  std::lock_guard lock(tree_->mutex);
  if (const NodePtr node = Find(path))
    node->mode = mode;
}

void MemoryFileSystem::Remove(const std::string& path) {
  std::lock_guard lock(tree_->mutex);
  Erase(path);
}

bool MemoryFileSystem::Exists(const std::string& path) const {
  std::lock_guard lock(tree_->mutex);
  return Find(path) != nullptr;
}

std::string MemoryFileSystem::Content(const std::string& path) const {
  std::lock_guard lock(tree_->mutex);
  const NodePtr node = Find(path);
  return node ? node->content : std::string();
}

std::time_t MemoryFileSystem::WriteTime(const std::string& path) const {
  std::lock_guard lock(tree_->mutex);
  const NodePtr node = Find(path);
  return node ? std::time_t(node->writeTime) : 0;
}

unsigned MemoryFileSystem::Mode(const std::string& path) const {
  std::lock_guard lock(tree_->mutex);
  const NodePtr node = Find(path);
  return node ? node->mode : 0;
}

std::vector<std::string> MemoryFileSystem::Names(const std::string& path) const {
  std::lock_guard lock(tree_->mutex);
  const NodePtr node = Find(path);
  return node ? node->names : std::vector<std::string>();
}

void MemoryFileSystem::Hold(const std::string& folder) {
  std::lock_guard lock(tree_->mutex);
  tree_->held = folder.empty() ? folder : Normal(folder);
  tree_->released.notify_all();
}

std::unique_lock<std::mutex> MemoryFileSystem::Lock(const std::string& path) const {
  std::unique_lock lock(tree_->mutex);
  const std::string normal = Normal(path);
  tree_->released.wait(lock, [&] {
    const std::string& held = tree_->held;
    return held.empty() || !(normal == held || normal.starts_with(held + '/'));
  });
  return lock;
}

std::vector<std::string> MemoryFileSystem::Log() const {
  std::lock_guard lock(tree_->mutex);
  return tree_->log;
}

bool MemoryFileSystem::IsDirectory(const std::string& path) {
  const std::unique_lock lock = Lock(path);
  const NodePtr node = Find(path);
  return node && node->kind == Node::Kind::kFolder;
}

DosDateTime MemoryFileSystem::FileAge(const std::string& path, std::int64_t& instant,
                                      std::int64_t& size) {
  const std::unique_lock lock = Lock(path);
  const NodePtr node = Find(path);
  if (!node || node->kind != Node::Kind::kFile)
    return kNoFile;
  instant = InstantOf(node->writeTime);
  size = std::int64_t(node->content.size());
  return StampOf(node->writeTime);
}

bool MemoryFileSystem::CreateDirectory(const std::string& path, const std::string& model) {
  const std::unique_lock lock = Lock(path);
  const NodePtr modelNode = model.empty() ? nullptr : Find(model);
  // The owner keeps full access, as the POSIX backend gives it.
  lastError_ = Insert(path, NewFolder(modelNode ? modelNode->mode | 0700 : 0755));
  if (lastError_ == 0)
    tree_->log.push_back("mkdir " + Normal(path));
  return lastError_ == 0;
}

bool MemoryFileSystem::Scan(const std::string& pattern, unsigned attributeSet,
                            std::vector<SearchEntry>& entries) {
  entries.clear();
  const std::unique_lock lock = Lock(pattern);
  const std::size_t slash = pattern.rfind('/');
  const std::string folder = slash == std::string::npos ? "/" : Normal(pattern.substr(0, slash));
  const std::string mask = pattern.substr(slash + 1);
  const NodePtr node = Find(folder);
  if (!node || node->kind != Node::Kind::kFolder)
    return true;  // nothing there to match
  std::vector<std::string> names = {".", ".."};
  names.insert(names.end(), node->names.begin(), node->names.end());
  for (const std::string& name : names) {
    if (!MatchesMask(mask, name))
      continue;
    const NodePtr entry = name == "." ? node : name == ".." ? Find(ParentOf(folder))
                                                            : Find(Joined(folder, name));
    unsigned attributes = entry->kind == Node::Kind::kFolder ? kDirectory
                          : entry->kind == Node::Kind::kSpecial ? kSystem
                                                                : kArchive;
    if (entry->kind == Node::Kind::kFile && !(entry->mode & kOwnerWrite))
      attributes |= kReadOnly;
    if (IsHiddenName(name))
      attributes |= kHidden;
    if (LeftOutOfScan(attributes, attributeSet))
      continue;
    SearchEntry& found = entries.emplace_back();
    found.name = name;
    found.attributes = attributes;
    found.size = entry->kind == Node::Kind::kFile ? std::int64_t(entry->content.size()) : 0;
    found.stamp = StampOf(entry->writeTime);
    found.instant = InstantOf(entry->writeTime);
  }
  return true;
}

bool MemoryFileSystem::ReadWholeFile(const std::string& path, std::string& bytes) {
  std::lock_guard lock(tree_->mutex);
  const NodePtr node = Find(path);
  if (!node || node->kind != Node::Kind::kFile)
    return false;
  bytes = node->content;
  return true;
}

std::string MemoryFileSystem::ErrorText(int error) const {
  return std::generic_category().message(error);
}

std::string MemoryFileSystem::VolumeOf(const std::string& path) {
  return IsDirectory(path) ? "memoria" : std::string();
}

bool MemoryFileSystem::SyncVolume(const std::string& path) {
  std::lock_guard lock(tree_->mutex);
  tree_->log.push_back("sync " + Normal(path));
  return true;
}

std::string MemoryFileSystem::ResolvedPath(const std::string& path) { return Normal(path); }

bool MemoryFileSystem::SameFolder(const std::string& one, const std::string& other) {
  return IsDirectory(one) && Normal(one) == Normal(other);
}

bool MemoryFileSystem::OpenSource(FileCopy& copy) {
  std::lock_guard lock(tree_->mutex);
  NodePtr node = Find(copy.source, copy.error);
  if (!node || node->kind != Node::Kind::kFile) {
    if (node)
      copy.error = node->kind == Node::Kind::kFolder ? EISDIR : 0;
    return false;
  }
  copy.seen = {.size = std::int64_t(node->content.size()),
               .mode = node->mode,
               .writeTime = node->writeTime,
               .writeNanoseconds = node->writeNanoseconds};
  copy.input = Open(std::move(node));
  return true;
}

FileSystem::TargetState MemoryFileSystem::CheckTarget(FileCopy& copy) {
  const std::unique_lock lock = Lock(copy.target);
  int error = 0;
  const NodePtr node = Find(copy.target, error);
  if (!node && error == ENOENT)
    return TargetState::kAbsent;
  if (!node) {
    copy.error = error;
    return TargetState::kUnknown;
  }
  if (node->kind == Node::Kind::kFolder)
    return TargetState::kFolder;
  if (node->kind == Node::Kind::kSpecial)
    return TargetState::kNotAFile;
  if (IsHiddenName(NameOf(Normal(copy.target))))
    return TargetState::kHidden;
  return (node->mode & kOwnerWrite) ? TargetState::kReplaceable : TargetState::kReadOnly;
}

bool MemoryFileSystem::CreateTemporary(FileCopy& copy) {
  const std::unique_lock lock = Lock(copy.target);
  const std::string folder = ParentOf(Normal(copy.target));
  for (int attempt = 0; attempt < TemporaryName::kAttempts; ++attempt) {
    const std::string path =
        Joined(folder, TemporaryName::Make(kProcess, ++tree_->temporaryCounter));
    auto file = std::make_shared<Node>();
    file->mode = copy.seen.mode;
    NodePtr kept = file;
    copy.error = Insert(path, std::move(file));
    if (copy.error == 0) {
      copy.output = Open(std::move(kept));
      copy.temporaryPath = path;
      tree_->log.push_back("create " + path);
      return true;
    }
    if (copy.error != EEXIST)
      break;
  }
  return false;
}

bool MemoryFileSystem::CopyContents(FileCopy& copy, const Progress& progress) {
  for (std::int64_t done = 0; done < copy.seen.size;) {
    {
      std::lock_guard lock(tree_->mutex);
      const std::string& from = tree_->open.at(copy.input)->content;
      if (std::int64_t(from.size()) <= done)
        return false;  // the source shrank meanwhile
      const std::size_t block = std::min<std::size_t>(kBlock, std::size_t(copy.seen.size - done));
      tree_->open.at(copy.output)->content.append(from, std::size_t(done), block);
      done = std::int64_t(tree_->open.at(copy.output)->content.size());
    }
    if (progress && !progress(done, copy.seen.size))
      return false;
  }
  return true;
}

bool MemoryFileSystem::SourceUnchanged(FileCopy& copy) {
  std::lock_guard lock(tree_->mutex);
  const Node& source = *tree_->open.at(copy.input);
  return std::int64_t(source.content.size()) == copy.seen.size &&
         source.writeTime == copy.seen.writeTime &&
         source.writeNanoseconds == copy.seen.writeNanoseconds;
}

bool MemoryFileSystem::CopyStampAndMode(FileCopy& copy) {
  std::lock_guard lock(tree_->mutex);
  Node& target = *tree_->open.at(copy.output);
  target.mode = copy.seen.mode;
  target.writeTime = copy.seen.writeTime;
  target.writeNanoseconds = copy.seen.writeNanoseconds;
  return true;
}

bool MemoryFileSystem::CloseTemporary(FileCopy& copy) {
  std::lock_guard lock(tree_->mutex);
  tree_->open.erase(copy.output);
  copy.output = kNoHandle;
  return true;
}

bool MemoryFileSystem::ReplaceTarget(FileCopy& copy, bool overwrite) {
  std::lock_guard lock(tree_->mutex);
  const NodePtr temporary = Find(copy.temporaryPath);
  const NodePtr target = Find(copy.target);
  copy.error = !temporary                                      ? ENOENT
               : target && !overwrite                          ? EEXIST
               : target && target->kind == Node::Kind::kFolder ? EISDIR
                                                               : 0;
  if (copy.error != 0)
    return false;
  if (target)
    Erase(copy.target);
  Erase(copy.temporaryPath);
  Insert(copy.target, temporary);
  tree_->log.push_back("rename " + copy.temporaryPath + " -> " + Normal(copy.target));
  return true;
}

bool MemoryFileSystem::TargetMatchesSource(FileCopy& copy) {
  std::lock_guard lock(tree_->mutex);
  const NodePtr target = Find(copy.target);
  return target && target->kind == Node::Kind::kFile &&
         std::int64_t(target->content.size()) == copy.seen.size &&
         target->writeTime == copy.seen.writeTime &&
         target->writeNanoseconds == copy.seen.writeNanoseconds;
}

void MemoryFileSystem::RemoveTemporary(FileCopy& copy) {
  std::lock_guard lock(tree_->mutex);
  Erase(copy.temporaryPath);
  tree_->log.push_back("remove " + copy.temporaryPath);
}

void MemoryFileSystem::CloseSource(FileCopy& copy) {
  std::lock_guard lock(tree_->mutex);
  tree_->open.erase(copy.input);
  copy.input = kNoHandle;
}

}  // namespace trasvex::test
