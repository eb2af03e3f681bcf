// SPDX-License-Identifier: GPL-3.0-or-later
// The program's command line: [configuration-file [switch ...]].
#pragma once

#include <string>
#include <vector>

#include "run/RunHost.h"

namespace trasvex {

class CommandLine {
 public:
  // The name used when the command line gives none.
  static constexpr const char* kDefaultConfig = "remotos.rtf";
  // What the program writes when it has no display for the window.
  static constexpr const char* kNoDisplayText =
      "trasvex: the window needs a display; \"trasvex CONFIG AUTO\" runs without one";

  // Reads the arguments after the program name. With 1 to 5 of them the
  // first names the configuration and the others are switches; with none or
  // more than 5 the default configuration is used and nothing is looked at.
  static CommandLine Parse(const std::vector<std::string>& arguments);

  // Applies one switch, given in upper case; an unknown word is ignored.
  void SetInd(const std::string& word);

  std::string nombreConfig = kDefaultConfig;
  bool autoEjecutar = false;
  RunOptions options;
};

}  // namespace trasvex
