// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/SystemCodePage.h"

#include "text/PathText.h"
#include "text/Utf8.h"

namespace trasvex {

std::size_t SystemTextLength(std::string_view text) { return text.size(); }

std::string FromSystemCodePage(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const char c : bytes)
    Utf8::Append(text, static_cast<unsigned char>(c));
  return text;
}

// Only U+0000 to U+00FF have a Latin-1 form.
std::optional<std::string> ToSystemCodePage(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::optional<char32_t> code = Utf8::Decode(text, i);
    if (!code || *code > 0xFF)
      return std::nullopt;
    bytes += char(*code);
  }
  return bytes;
}

}  // namespace trasvex
