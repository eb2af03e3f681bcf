// SPDX-License-Identifier: GPL-3.0-or-later
// The mask matcher and the text helpers: input is "mask NUL name".
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "text/PathText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t nul = input.find('\0');
  const std::string_view mask = input.substr(0, nul);
  const std::string_view name = nul == std::string_view::npos ? mask : input.substr(nul + 1);
  const bool matches = trasvex::MatchesMask(mask, name);
  if (mask == "*")
    FUZZ_CHECK(matches);
  if (name.find_first_of("*?") == std::string_view::npos && !name.ends_with('.'))
    FUZZ_CHECK(trasvex::MatchesMask(name, name));
  FUZZ_CHECK(trasvex::MatchesMask(trasvex::UpperAscii(mask), name) == matches);

  for (const std::size_t limit : {std::size_t(0), std::size_t(1), std::size_t(255), size / 2}) {
    const std::string cut = trasvex::CutText(input, limit);
    FUZZ_CHECK(cut.size() <= limit && input.starts_with(cut));
  }
  const std::string_view trimmed = trasvex::Trim(input);
  FUZZ_CHECK(trimmed.empty() || (static_cast<unsigned char>(trimmed.front()) > 32 &&
                                 static_cast<unsigned char>(trimmed.back()) > 32));
  return 0;
}
