#include "text/SystemCodePage.h"

namespace trasvex {

std::string FromSystemCodePage(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 0x80) {
      text += c;
    } else {
      text += char(0xC0 | code >> 6);
      text += char(0x80 | (code & 0x3F));
    }
  }
  return text;
}

// Only U+0000 to U+00FF have a Latin-1 form: ASCII, and the two-byte
// sequences that start with C2 or C3.
std::optional<std::string> ToSystemCodePage(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto code = static_cast<unsigned char>(text[i]);
    if (code < 0x80) {
      bytes += text[i];
    } else if ((code == 0xC2 || code == 0xC3) && i + 1 < text.size()) {
      bytes += char((code & 0x03) << 6 | (static_cast<unsigned char>(text[++i]) & 0x3F));
    } else {
      return std::nullopt;
    }
  }
  return bytes;
}

}  // namespace trasvex
