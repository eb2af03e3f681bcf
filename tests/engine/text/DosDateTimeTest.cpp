// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "text/DosDateTime.h"

namespace trasvex {
namespace {

std::tm Local(int year, int month, int day, int hour, int minute, int second) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  return local;
}

TEST(DosDateTime, PacksAndUnpacksWithEvenSeconds) {
  const DosDateTime stamp = PackDosDateTime(Local(2024, 5, 3, 10, 11, 13));
  const DateTimeParts parts = UnpackDosDateTime(stamp);
  EXPECT_EQ(parts.year, 2024);
  EXPECT_EQ(parts.month, 5);
  EXPECT_EQ(parts.day, 3);
  EXPECT_EQ(parts.hour, 10);
  EXPECT_EQ(parts.minute, 11);
  EXPECT_EQ(parts.second, 12);
  EXPECT_EQ(stamp, PackDosDateTime(Local(2024, 5, 3, 10, 11, 12)));
  EXPECT_EQ(FormatDosDateTime(stamp, "/", ":"), "2024/05/03 10:11:12");
  EXPECT_EQ(FormatDosDateTime(stamp, "-", "."), "2024-05-03 10.11.12");
}

TEST(DosDateTime, ClampsTimesTheFormatCannotHold) {
  EXPECT_EQ(FormatDosDateTime(PackDosDateTime(Local(1970, 1, 1, 0, 0, 0)), "/", ":"),
            "1980/01/01 00:00:00");
  EXPECT_EQ(FormatDosDateTime(PackDosDateTime(Local(2200, 6, 1, 0, 0, 0)), "/", ":"),
            "2107/12/31 23:59:58");
  EXPECT_NE(PackDosDateTime(Local(2200, 6, 1, 0, 0, 0)), kNoFile);
  // The first and last years themselves are held whole.
  EXPECT_EQ(FormatDosDateTime(PackDosDateTime(Local(1980, 6, 15, 10, 11, 12)), "/", ":"),
            "1980/06/15 10:11:12");
  EXPECT_EQ(FormatDosDateTime(PackDosDateTime(Local(2107, 6, 15, 10, 11, 12)), "/", ":"),
            "2107/06/15 10:11:12");
}

}  // namespace
}  // namespace trasvex
