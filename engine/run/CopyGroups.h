// SPDX-License-Identifier: GPL-3.0-or-later
// How the copies of one scan go to the workers: a few at a time, as many as
// make little data together, so that a large file has a worker of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace trasvex {

struct CopyGroups {
  // The most data the copies handed to a worker together may hold.
  static constexpr std::int64_t kFollowUpBytes = 1 << 20;

  // The number of copies in each group, in order, for copies of |sizes|
  // bytes: at most |most| copies a group, together under kFollowUpBytes
  // unless a group holds one copy.
  static std::vector<std::size_t> Of(const std::vector<std::int64_t>& sizes, std::size_t most);
};

}  // namespace trasvex
