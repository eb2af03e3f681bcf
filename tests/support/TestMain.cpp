// Runs every test in UTC, so that stamps written as local times are fixed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
  ::setenv("TZ", "UTC0", 1);
  ::tzset();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
