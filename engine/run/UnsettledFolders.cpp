// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/UnsettledFolders.h"

namespace trasvex {

void UnsettledFolders::Settle(const std::string& folder) {
  const auto found = batches_.find(FolderKey(folder, style_));
  if (found != batches_.end() && --found->second == 0)
    batches_.erase(found);
}

bool UnsettledFolders::Holds(const std::string& folder) const {
  return !batches_.empty() && batches_.contains(FolderKey(folder, style_));
}

}  // namespace trasvex
