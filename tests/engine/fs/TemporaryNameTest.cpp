// SPDX-License-Identifier: GPL-3.0-or-later
// Which names are temporary files of a copy, and whose: a sweep removes the
// files of ended processes by these names, so a user's file must never be
// taken for one.
#include <gtest/gtest.h>

#include "fs/TemporaryName.h"

namespace trasvex {
namespace {

TEST(TemporaryName, OwnerIsReadBackOnlyFromNamesMadeThatWay) {
  EXPECT_EQ(TemporaryName::Owner(TemporaryName::Make(4321, 7)), 4321u);
  struct Case {
    const char* name;
    std::optional<unsigned long> owner;
  } cases[] = {
      {".trasvex-1-1.tmp", 1},
      {".trasvex-123456789-42.tmp", 123456789},
      {".trasvex-1234567890-1.tmp", std::nullopt},  // more digits than a made name has
      {".trasvex--1.tmp", std::nullopt},
      {".trasvex-12-.tmp", std::nullopt},
      {".trasvex-+12-3.tmp", std::nullopt},
      {".trasvex-12-3-4.tmp", std::nullopt},
      {".trasvex-12-3.tmp.txt", std::nullopt},
      {"trasvex-12-3.tmp", std::nullopt},
      {".trasvex-1a-3.tmp", std::nullopt},
      {".TRASVEX-12-3.tmp", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TemporaryName::Owner(c.name), c.owner);
  }
}

}  // namespace
}  // namespace trasvex
