// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/CommandLine.h"

#include "text/PathText.h"

namespace trasvex {

namespace {
constexpr std::size_t kMostArguments = 5;
}

CommandLine CommandLine::Parse(const std::vector<std::string>& arguments) {
  CommandLine line;
  if (arguments.empty() || arguments.size() > kMostArguments)
    return line;
  line.nombreConfig = arguments.front();
  for (std::size_t i = 1; i < arguments.size(); ++i)
    line.SetInd(CutText(UpperAscii(arguments[i])));
  return line;
}

void CommandLine::SetInd(const std::string& word) {
  if (word == "AUTO") {
    autoEjecutar = true;
  } else if (word == "LISTALL" || word == "LIST") {
    options.listado = true;
  } else if (word == "LISTCOPY") {
    options.listado = true;
    options.listaCopia = true;
  } else if (word == "NODIRS") {
    options.subDirs = false;
  } else if (word == "NUEVOS") {
    options.recientes = true;
  }
}

}  // namespace trasvex
