// SPDX-License-Identifier: GPL-3.0-or-later
// How the source tree and the destination tree of a mapping lie to each
// other, as the file system resolves them (links, "." and ".."): a walk that
// meets its own output must neither read ahead of it nor walk into it.
#pragma once

#include <string>

#include "fs/FileSystem.h"

namespace trasvex {

struct MappingTrees {
  // The destination is the source directory or lies in it.
  bool destinationInSource = false;
  // Either lies in the other.
  bool meet = false;

  static MappingTrees Of(FileSystem& fs, const std::string& sourceDirectory,
                         const std::string& destination);
  // The key of the tree at |folder| as the file system resolves it.
  static std::string Key(FileSystem& fs, const std::string& folder);
  // True when one of two trees, given by their keys, holds the other.
  static bool Meet(const std::string& one, const std::string& other, const PathStyle& style);
};

}  // namespace trasvex
