// SPDX-License-Identifier: GPL-3.0-or-later
// The program's icon, for the window, the task bar and the About box.
#pragma once

#include <QIcon>

namespace trasvex {

// The icon with a picture drawn for each of its sizes (16 to 256 pixels),
// so that it stays sharp at any scale.
QIcon ProgramIcon();

}  // namespace trasvex
