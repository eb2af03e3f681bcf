// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/DosDateTime.h"

#include <cstdio>

namespace trasvex {

namespace {

constexpr int kFirstYear = 1980;
constexpr int kLastYear = 2107;

DosDateTime Pack(int year, int month, int day, int hour, int minute, int second) {
  const std::uint32_t packed = std::uint32_t(year - kFirstYear) << 25 |
                               std::uint32_t(month) << 21 | std::uint32_t(day) << 16 |
                               std::uint32_t(hour) << 11 | std::uint32_t(minute) << 5 |
                               std::uint32_t(second / 2);
  return static_cast<DosDateTime>(packed);
}

}  // namespace

DosDateTime PackDosDateTime(const std::tm& local) {
  const int year = local.tm_year + 1900;
  if (year < kFirstYear)
    return Pack(kFirstYear, 1, 1, 0, 0, 0);
  if (year > kLastYear)
    return Pack(kLastYear, 12, 31, 23, 59, 58);
  // A leap second (tm_sec 60) stays in the last slot of its minute.
  const int second = local.tm_sec > 59 ? 59 : local.tm_sec;
  return Pack(year, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, second);
}

DateTimeParts UnpackDosDateTime(DosDateTime stamp) {
  const auto packed = static_cast<std::uint32_t>(stamp);
  return {int(packed >> 25) + kFirstYear, int(packed >> 21 & 0xF), int(packed >> 16 & 0x1F),
          int(packed >> 11 & 0x1F),       int(packed >> 5 & 0x3F),  int(packed & 0x1F) * 2};
}

std::string FormatDosDateTime(DosDateTime stamp, const std::string& dateSeparator,
                              const std::string& timeSeparator) {
  const DateTimeParts p = UnpackDosDateTime(stamp);
  const char* ds = dateSeparator.c_str();
  const char* ts = timeSeparator.c_str();
  char text[128];
  std::snprintf(text, sizeof text, "%04d%s%02d%s%02d %02d%s%02d%s%02d", p.year, ds, p.month, ds,
                p.day, p.hour, ts, p.minute, ts, p.second);
  return text;
}

}  // namespace trasvex
