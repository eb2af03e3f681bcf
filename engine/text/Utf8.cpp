// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Utf8.h"

namespace trasvex {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The bytes that the lead byte |lead| announces, by the lenient rule.
std::size_t Announced(unsigned char lead) {
  return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

// The length of the sequence that |lead| starts by the strict rule; 0 for a
// byte that starts none.
std::size_t StrictLength(unsigned char lead) {
  if (lead < 0x80)
    return 1;
  if (lead < 0xC2)
    return 0;  // a continuation byte, or an overlong two-byte form
  return lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
}

}  // namespace

std::optional<char32_t> Utf8::Decode(std::string_view text, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  const std::size_t length = StrictLength(lead);
  bool valid = length != 0 && i + length <= text.size();
  char32_t code = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t k = 1; valid && k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    valid = IsContinuation(next);
    code = code << 6 | (next & 0x3F);
  }
  const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  valid = valid && code >= least[length] && (code < 0xD800 || code > 0xDFFF) && code <= 0x10FFFF;
  i += valid ? length : 1;
  return valid ? std::optional(code) : std::nullopt;
}

bool Utf8::IsValid(std::string_view text) {
  for (std::size_t i = 0; i < text.size();)
    if (!Decode(text, i))
      return false;
  return true;
}

void Utf8::Append(std::string& text, char32_t code) {
  const std::size_t length = EncodedLength(code);
  if (length == 1) {
    text += char(code);
    return;
  }
  const unsigned char leads[] = {0, 0, 0xC0, 0xE0, 0xF0};
  text += char(leads[length] | code >> (6 * (length - 1)));
  for (std::size_t k = length - 1; k-- > 0;)
    text += char(0x80 | (code >> (6 * k) & 0x3F));
}

std::size_t Utf8::EncodedLength(char32_t code) {
  return code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
}

std::size_t Utf8::SequenceLength(std::string_view text) {
  const std::size_t length = Announced(static_cast<unsigned char>(text[0]));
  if (length > text.size())
    return 1;
  for (std::size_t i = 1; i < length; ++i)
    if (!IsContinuation(static_cast<unsigned char>(text[i])))
      return 1;
  return length;
}

std::size_t Utf8::WholePrefix(std::string_view text) {
  std::size_t lead = text.size();
  while (lead > 0 && text.size() - lead < 3 &&
         IsContinuation(static_cast<unsigned char>(text[lead - 1])))
    --lead;
  if (lead == 0)
    return text.size();
  const std::size_t length = Announced(static_cast<unsigned char>(text[lead - 1]));
  return length > text.size() - lead + 1 ? lead - 1 : text.size();
}

}  // namespace trasvex
