// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/MappingTrees.h"

#include <filesystem>
#include <system_error>

namespace trasvex {

namespace {

std::filesystem::path PathOf(const std::string& text) {
  return std::u8string(text.begin(), text.end());
}

// |path| as the system takes it, links and "." and ".." resolved as far as
// it exists; as written when that fails.
std::string Resolved(const std::string& path) {
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(PathOf(path), error);
  if (error)
    return path;
  const std::u8string text = resolved.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

MappingTrees MappingTrees::Of(const std::string& sourceDirectory,
                              const std::string& destination, const PathStyle& style) {
  const std::string from = FolderKey(Resolved(sourceDirectory), style);
  const std::string to = FolderKey(Resolved(destination), style);
  MappingTrees trees;
  trees.destinationInSource = FolderWithin(to, from, style);
  trees.meet = trees.destinationInSource || FolderWithin(from, to, style);
  return trees;
}

bool MappingTrees::SameFolder(const std::string& one, const std::string& other) {
  std::error_code error;
  return std::filesystem::equivalent(PathOf(one), PathOf(other), error);
}

}  // namespace trasvex
