// SPDX-License-Identifier: GPL-3.0-or-later
// Where a top-level window goes on its screen.
#pragma once

#include <QRect>

namespace trasvex {

// The frame |wanted| where it lies wholly inside |available| (a screen's
// area free of task bars and docks); otherwise shrunk to fit, when it is
// larger, and moved the least distance that brings it inside. An empty
// |available| (no screen known) leaves |wanted| as it is.
QRect PlaceInside(const QRect& wanted, const QRect& available);

}  // namespace trasvex
