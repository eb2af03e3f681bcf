#include "ConfigLines.h"

namespace trasvex {

namespace {

// The length of the UTF-8 sequence that |lead| starts; 0 for a byte that
// starts none.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80)
    return 1;
  if (lead < 0xC2)
    return 0;  // a continuation byte, or an overlong two-byte form
  if (lead < 0xE0)
    return 2;
  if (lead < 0xF0)
    return 3;
  return lead < 0xF5 ? 4 : 0;
}

// True for well-formed UTF-8: no stray or missing continuation bytes, no
// overlong forms, no surrogates, nothing past U+10FFFF.
bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = SequenceLength(lead);
    if (length == 0 || i + length > text.size())
      return false;
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80)
        return false;
      code = code << 6 | (next & 0x3F);
    }
    const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
      return false;
    i += length;
  }
  return true;
}

}  // namespace

ConfigText ReadConfigLines(std::string_view bytes) {
  bytes = bytes.substr(0, bytes.find('\0'));
  ConfigText text;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      text.lines.emplace_back(bytes.substr(start));
      return text;
    }
    text.lines.emplace_back(bytes.substr(start, end - start));
    const bool crLf = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
    start = end + (crLf ? 2 : 1);
  }
  text.endsWithBreak = !bytes.empty();
  return text;
}

std::string ConfigTextToUtf8(std::string_view bytes, bool* latin1) {
  const bool valid = IsValidUtf8(bytes);
  if (latin1)
    *latin1 = !valid;
  if (valid)
    return std::string(bytes);
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

std::string WriteConfigLines(const std::vector<std::string>& lines) {
  std::string bytes;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0)
      bytes += "\r\n";
    bytes += lines[i];
  }
  return bytes;
}

}  // namespace trasvex
