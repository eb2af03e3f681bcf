// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramIcon.h"

namespace trasvex {

QIcon ProgramIcon() {
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128, 256})
    icon.addFile(QString(":/icons/trasvex-%1.png").arg(size), QSize(size, size));
  return icon;
}

}  // namespace trasvex
