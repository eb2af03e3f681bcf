// SPDX-License-Identifier: GPL-3.0-or-later
// Runs every test in UTC, so that stamps written as local times are fixed.
// On Windows the zone is the system's: the tree converts stamps with the
// same local-time functions as the backend, so the expectations hold in any
// zone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
#ifndef _WIN32
  ::setenv("TZ", "UTC0", 1);
  ::tzset();
#endif
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
