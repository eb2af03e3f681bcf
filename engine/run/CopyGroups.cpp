// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/CopyGroups.h"

namespace trasvex {

std::vector<std::size_t> CopyGroups::Of(const std::vector<std::int64_t>& sizes,
                                        std::size_t most) {
  std::vector<std::size_t> groups;
  for (std::size_t begin = 0; begin < sizes.size();) {
    std::size_t end = begin + 1;
    std::int64_t bytes = sizes[begin];
    while (end < sizes.size() && end - begin < most && bytes + sizes[end] < kFollowUpBytes)
      bytes += sizes[end++];
    groups.push_back(end - begin);
    begin = end;
  }
  return groups;
}

}  // namespace trasvex
