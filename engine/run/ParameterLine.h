// SPDX-License-Identifier: GPL-3.0-or-later
// The grammar of one line of the parameter list, apart from the file
// system: a line with "=" is a mapping "destination = source"; any other
// line is an extension line, whose words are the masks the mappings after
// it scan for.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trasvex {

class ParameterLine {
 public:
  struct Mapping {
    std::string destination;
    std::string source;
  };

  // The two sides of a mapping line, blanks around them removed and each
  // cut to 255 bytes; nothing for an extension line.
  static std::optional<Mapping> MappingOf(std::string_view line);
  // The masks of an extension line: 'txt' and '.txt' stand for '*.txt'; a
  // word with a dot further in is a mask already. No word, no mask.
  static std::vector<std::string> MasksOf(std::string_view line);
  // The line with the two sides of its mapping swapped ("a = b" gives
  // "b=a"); an extension line as it is, cut to 255 bytes.
  static std::string InviertaLinea(std::string_view line);
};

}  // namespace trasvex
