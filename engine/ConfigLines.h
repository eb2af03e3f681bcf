// The text format of configuration files: one parameter line per line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace trasvex {

struct ConfigText {
  std::vector<std::string> lines;
  bool endsWithBreak = false;  // the text ended with a line break
};

// Splits a configuration file's bytes into lines. CR LF, a lone LF and a lone
// CR each end a line (LF CR is two ends); everything from the first NUL byte
// on is dropped; no empty last line is counted after a final line break.
ConfigText ReadConfigLines(std::string_view bytes);

// Joins lines with CR LF, adding no break after the last one.
std::string WriteConfigLines(const std::vector<std::string>& lines);

}  // namespace trasvex
