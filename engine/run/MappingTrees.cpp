// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/MappingTrees.h"

namespace trasvex {

MappingTrees MappingTrees::Of(FileSystem& fs, const std::string& sourceDirectory,
                              const std::string& destination) {
  const PathStyle& style = fs.Style();
  const std::string from = FolderKey(fs.ResolvedPath(sourceDirectory), style);
  const std::string to = FolderKey(fs.ResolvedPath(destination), style);
  MappingTrees trees;
  trees.destinationInSource = FolderWithin(to, from, style);
  trees.meet = trees.destinationInSource || FolderWithin(from, to, style);
  return trees;
}

}  // namespace trasvex
