// SPDX-License-Identifier: GPL-3.0-or-later
#include "Platform.h"

#include <cstdlib>

#include "fs/TemporaryCleanup.h"

namespace trasvex {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

bool DisplayAvailable() {
  for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
    if (std::getenv(variable))
      return true;
  return false;
}

bool OutputRedirected() { return false; }

void ConnectStandardStreams() {}

void CleanUpOnTermination() { TemporaryCleanup::Install(); }

}  // namespace trasvex
