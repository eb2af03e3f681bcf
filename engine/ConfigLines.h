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

// The text of a configuration file as UTF-8. Bytes that are valid UTF-8 are
// taken as they are; any other text is read byte for byte as Latin-1, as an
// 8-bit code page would have written it. |latin1| tells which.
std::string ConfigTextToUtf8(std::string_view bytes, bool* latin1 = nullptr);

// Joins lines with CR LF, adding no break after the last one.
std::string WriteConfigLines(const std::vector<std::string>& lines);

}  // namespace trasvex
