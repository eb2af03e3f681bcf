// SPDX-License-Identifier: GPL-3.0-or-later
// How the copies go to the workers, and how far a long one shows it has come.
#include <gtest/gtest.h>

#include "run/CopyGroups.h"
#include "run/CopyProgress.h"

namespace trasvex::test {
namespace {

using Groups = std::vector<std::size_t>;
constexpr std::int64_t kKiB = 1024;

// The data of a group counts as a whole: files just under the limit go one
// by one, small files as many at a time as may go.
TEST(CopyGroups, AGroupHoldsUnderTheLimitTogether) {
  const struct {
    std::vector<std::int64_t> sizes;
    std::size_t most;
    Groups groups;
  } cases[] = {
      {{600 * kKiB, 600 * kKiB, 600 * kKiB}, 8, {1, 1, 1}},
      {{500 * kKiB, 500 * kKiB, 100 * kKiB}, 8, {2, 1}},
      {{2048 * kKiB, 10, 10}, 8, {1, 2}},
      {std::vector<std::int64_t>(10, 100 * kKiB), 8, {8, 2}},
      {{0, 0, 0}, 2, {2, 1}},
      {{}, 8, {}},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(testing::PrintToString(row.sizes));
    EXPECT_EQ(CopyGroups::Of(row.sizes, row.most), row.groups);
  }
}

// A copy that has lasted shows its share done, to the whole per cent.
TEST(CopyProgress, ALongCopyShowsItsShareDone) {
  const struct {
    std::int64_t size;
    std::int64_t copied;
    const char* text;
  } cases[] = {
      {200, 0, "datos.iso  0 %"},
      {200, 90, "datos.iso  45 %"},
      {200, 199, "datos.iso  99 %"},
      {200, 200, "datos.iso  100 %"},
      {std::int64_t(3) << 30, std::int64_t(3) << 29, "datos.iso  50 %"},
      {0, 0, "datos.iso  0 %"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.text);
    CopyProgress progress;
    const CopyProgress::Clock::time_point before = CopyProgress::Clock::now();
    CopyProgress::Copy copy = progress.Begin("datos.iso", row.size);
    copy.Advance(row.copied);
    EXPECT_EQ(progress.Text(before), "");  // not yet
    EXPECT_EQ(progress.Text(CopyProgress::Clock::now() + CopyProgress::kShownAfter), row.text);
  }
}

}  // namespace
}  // namespace trasvex::test
