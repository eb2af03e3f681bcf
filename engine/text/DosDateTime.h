// SPDX-License-Identifier: GPL-3.0-or-later
// A file's last-write time packed as a 32-bit value in local time.
//
// Bits 31-25 hold the year minus 1980, 24-21 the month, 20-16 the day,
// 15-11 the hour, 10-5 the minute and 4-0 the seconds divided by two, so
// stamps within one two-second slot are equal.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace trasvex {

using DosDateTime = std::int32_t;

// The stamp that stands for "no such file".
inline constexpr DosDateTime kNoFile = -1;

// The broken-down local time of a packed stamp.
struct DateTimeParts {
  int year, month, day, hour, minute, second;
};

// Packs a broken-down local time. Times before 1980 or after 2107, which
// the format cannot hold, are clamped to the nearest stamp it can.
DosDateTime PackDosDateTime(const std::tm& local);

DateTimeParts UnpackDosDateTime(DosDateTime stamp);

// "yyyy/mm/dd hh:nn:ss" with the given date and time separators.
std::string FormatDosDateTime(DosDateTime stamp, const std::string& dateSeparator,
                              const std::string& timeSeparator);

}  // namespace trasvex
