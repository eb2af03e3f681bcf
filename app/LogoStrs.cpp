// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogoStrs.h"

#include <map>

namespace trasvex {

QString LoadLogoStr(int id) {
  static const std::map<int, const char*> kTable = {
      {SUntitled, "Untitled"},
      {SOverwrite, "OK to overwrite %s"},
  };
  const auto found = kTable.find(id);
  return found == kTable.end() ? QString() : QString::fromUtf8(found->second);
}

}  // namespace trasvex
