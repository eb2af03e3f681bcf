// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace trasvex {

// A message as the general error box shows it: with a "." added when its
// last character sorts after "." ("Cannot open file x.rtf" ends in ".rtf.").
std::string GeneralErrorText(std::string message);

}  // namespace trasvex
