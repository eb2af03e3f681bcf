// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8 as the program reads it, in two ways named apart: a strict decoder,
// which tells UTF-8 text from text in a code page, and a lenient length,
// which steps through and cuts text whatever its bytes, never splitting a
// sequence that looks whole.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace trasvex {

class Utf8 {
 public:
  // Strict: the character of the well-formed sequence at |text|[|i|],
  // moving |i| past it; nothing, with |i| moved by one byte, when none
  // starts there: a stray or missing continuation byte, an overlong form, a
  // surrogate, a code past U+10FFFF.
  static std::optional<char32_t> Decode(std::string_view text, std::size_t& i);
  static bool IsValid(std::string_view text);
  // Appends the UTF-8 form of |code|.
  static void Append(std::string& text, char32_t code);
  // The bytes UTF-8 takes for |code|.
  static std::size_t EncodedLength(char32_t code);

  // Lenient: the bytes of the character that starts |text|: a lead byte
  // (C0 to FF) with the continuation bytes it announces, or one byte where
  // they are not all there.
  static std::size_t SequenceLength(std::string_view text);
  // The length of the part of |text| that ends with a whole character, by
  // the lenient rule: a sequence that the text ends in the middle of is
  // left out.
  static std::size_t WholePrefix(std::string_view text);
};

}  // namespace trasvex
