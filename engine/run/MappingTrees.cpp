// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/MappingTrees.h"

namespace trasvex {

MappingTrees MappingTrees::Of(FileSystem& fs, const std::string& sourceDirectory,
                              const std::string& destination) {
  const PathStyle& style = fs.Style();
  const std::string from = Key(fs, sourceDirectory);
  const std::string to = Key(fs, destination);
  MappingTrees trees;
  trees.destinationInSource = FolderWithin(to, from, style);
  trees.meet = Meet(from, to, style);
  return trees;
}

std::string MappingTrees::Key(FileSystem& fs, const std::string& folder) {
  return FolderKey(fs.ResolvedPath(folder), fs.Style());
}

bool MappingTrees::Meet(const std::string& one, const std::string& other, const PathStyle& style) {
  return FolderWithin(one, other, style) || FolderWithin(other, one, style);
}

}  // namespace trasvex
