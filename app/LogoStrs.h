// SPDX-License-Identifier: GPL-3.0-or-later
// The numbered user strings of the application shell.
#pragma once

#include <QString>

namespace trasvex {

enum LogoStr { SUntitled = 1, SOverwrite = 2 };

// The string with number |id|; empty for a number not in the table.
QString LoadLogoStr(int id);

}  // namespace trasvex
