// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: the input is the arguments separated by NUL bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "console/CommandLine.h"
#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> arguments;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  while (!rest.empty()) {
    const std::size_t nul = rest.find('\0');
    arguments.emplace_back(rest.substr(0, nul));
    rest = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);
  }
  const trasvex::CommandLine line = trasvex::CommandLine::Parse(arguments);
  if (arguments.empty() || arguments.size() > 5)
    FUZZ_CHECK(line.nombreConfig == trasvex::CommandLine::kDefaultConfig && !line.autoEjecutar);
  else
    FUZZ_CHECK(line.nombreConfig == arguments.front());
  FUZZ_CHECK(!line.options.listaCopia || line.options.listado);
  return 0;
}
