// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration-file reader: lines never hold a break or a NUL, and
// writing the lines back as they were stored and reading them again gives
// the same lines.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/ConfigLines.h"
#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const trasvex::ConfigText text = trasvex::ReadConfigLines(bytes);
  for (const std::string& line : text.lines)
    FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
  if (text.lines.empty() || !text.lines.back().empty()) {
    const std::string written = trasvex::WriteConfigLines(text.lines, text.encoding);
    FUZZ_CHECK(trasvex::ReadConfigLines(written).lines == text.lines);
  }
  return 0;
}
