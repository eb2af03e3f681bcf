// SPDX-License-Identifier: GPL-3.0-or-later
// The text format of configuration files: one parameter line per line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace trasvex {

// How a configuration file's text was stored, so that a save can store it
// the same way.
enum class ConfigEncoding {
  kUtf8,
  kUtf8Bom,     // UTF-8 behind the byte order mark EF BB BF
  kUtf16Le,     // behind FF FE
  kUtf16Be,     // behind FE FF
  kCodePage,    // not UTF-8: the system's 8-bit code page
};

struct ConfigText {
  std::vector<std::string> lines;  // UTF-8
  bool endsWithBreak = false;      // the text ended with a line break
  ConfigEncoding encoding = ConfigEncoding::kUtf8;
};

// Reads a configuration file's bytes. A byte order mark tells UTF-8 or
// UTF-16 and is skipped; everything from the first NUL character on is
// dropped; what is left, if it is not valid UTF-8, is taken in the system's
// code page. Then CR LF, a lone LF and a lone CR each end a line (LF CR is
// two ends); no empty last line is counted after a final line break.
ConfigText ReadConfigLines(std::string_view bytes);

// Joins lines with CR LF, adding no break after the last one, and stores
// them in |encoding|, byte order mark included. Text that the system's code
// page cannot hold is stored as UTF-8 rather than lost.
std::string WriteConfigLines(const std::vector<std::string>& lines,
                             ConfigEncoding encoding = ConfigEncoding::kUtf8);

}  // namespace trasvex
