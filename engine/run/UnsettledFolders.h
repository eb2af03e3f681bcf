// SPDX-License-Identifier: GPL-3.0-or-later
// The destination folders with files handed to the workers and not yet
// settled, and how many batches of them: a scan of such a folder, or a
// look-up in it, must wait for them to see what they made.
#pragma once

#include <string>
#include <unordered_map>

#include "text/PathText.h"

namespace trasvex {

class UnsettledFolders {
 public:
  explicit UnsettledFolders(const PathStyle& style) : style_(style) {}

  void Add(const std::string& folder) { ++batches_[FolderKey(folder, style_)]; }
  // One batch into |folder| has settled.
  void Settle(const std::string& folder);
  bool Holds(const std::string& folder) const;

 private:
  const PathStyle& style_;
  std::unordered_map<std::string, int> batches_;  // by FolderKey
};

}  // namespace trasvex
