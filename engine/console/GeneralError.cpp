// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/GeneralError.h"

namespace trasvex {

std::string GeneralErrorText(std::string message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
    message += '.';
  return message;
}

}  // namespace trasvex
