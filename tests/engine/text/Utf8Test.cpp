// SPDX-License-Identifier: GPL-3.0-or-later
// The two readings of UTF-8 side by side: the strict decoder, which decides
// whether a configuration is UTF-8, and the lenient length, which steps
// through names and cuts text.
#include <gtest/gtest.h>

#include "text/Utf8.h"

namespace trasvex {
namespace {

TEST(Utf8, StrictAndLenientReadingsOfOneTable) {
  constexpr std::optional<char32_t> kNone;
  struct Row {
    const char* bytes;
    std::optional<char32_t> first;  // the strict decoder's first character
    bool valid;                     // all of it, strictly
    std::size_t sequence;           // the lenient length at the start
    std::size_t whole;              // the lenient whole prefix
  } rows[] = {
      {"a", U'a', true, 1, 1},
      {"\xC3\xA9", U'\u00E9', true, 2, 2},
      {"\xE2\x82\xAC", U'\u20AC', true, 3, 3},
      {"\xF0\x9F\x98\x80", U'\U0001F600', true, 4, 4},
      {"\xF4\x8F\xBF\xBF", U'\U0010FFFF', true, 4, 4},
      {"\xF4\x90\x80\x80", kNone, false, 4, 4},  // past U+10FFFF
      {"\xED\xA0\x80", kNone, false, 3, 3},      // a surrogate
      {"\xC0\x80", kNone, false, 2, 2},          // overlong: a pair to the lenient rule
      {"\xC1\xBF", kNone, false, 2, 2},
      {"\xE0\x80\x80", kNone, false, 3, 3},
      {"\x80", kNone, false, 1, 1},              // a stray continuation byte
      {"\xC3", kNone, false, 1, 0},              // cut short
      {"a\xE2\x82", U'a', false, 1, 1},
      {"\xC3(", kNone, false, 1, 2},
      {"\xFF\xFE", kNone, false, 1, 1},  // FE may lead a sequence still to come
  };
  for (const Row& row : rows) {
    const std::string_view bytes = row.bytes;
    SCOPED_TRACE(testing::PrintToString(std::string(bytes)));
    std::size_t i = 0;
    EXPECT_EQ(Utf8::Decode(bytes, i), row.first);
    EXPECT_EQ(i, row.first ? Utf8::EncodedLength(*row.first) : 1u);
    EXPECT_EQ(Utf8::IsValid(bytes), row.valid);
    EXPECT_EQ(Utf8::SequenceLength(bytes), row.sequence);
    EXPECT_EQ(Utf8::WholePrefix(bytes), row.whole);
    if (row.first) {
      std::string encoded;
      Utf8::Append(encoded, *row.first);
      EXPECT_EQ(encoded, bytes.substr(0, encoded.size()));
    }
  }
}

}  // namespace
}  // namespace trasvex
