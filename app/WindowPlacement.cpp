// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowPlacement.h"

#include <algorithm>

namespace trasvex {

namespace {

// The start of a span of |length| moved the least distance that brings it
// inside the span of |room| starting at |first|; |length| is at most |room|.
int Clamp(int start, int length, int first, int room) {
  return std::clamp(start, first, first + room - length);
}

}  // namespace

QRect PlaceInside(const QRect& wanted, const QRect& available) {
  if (available.isEmpty())
    return wanted;
  const QSize size = wanted.size().boundedTo(available.size());
  return {Clamp(wanted.x(), size.width(), available.x(), available.width()),
          Clamp(wanted.y(), size.height(), available.y(), available.height()), size.width(),
          size.height()};
}

}  // namespace trasvex
