#include <gtest/gtest.h>

#include "ConfigLines.h"

namespace trasvex {
namespace {

using Lines = std::vector<std::string>;

TEST(ConfigLines, EveryLineEndCounts) {
  struct Row {
    std::string bytes;
    Lines lines;
    bool endsWithBreak;
  };
  const Row rows[] = {
      {"", {}, false},
      {"a", {"a"}, false},
      {"a\r\nb", {"a", "b"}, false},
      {"a\r\nb\r\n", {"a", "b"}, true},
      {"a\nb\rc", {"a", "b", "c"}, false},
      {"a\n\rb", {"a", "", "b"}, false},  // LF CR is two ends
      {"a\n\r", {"a", ""}, true},
      {"\r\n", {""}, true},
      {"\r\n\r\n", {"", ""}, true},
      {"a\r", {"a"}, true},
      {std::string("a\r\nb\0c\r\nd", 9), {"a", "b"}, false},
      {std::string("\0abc", 4), {}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.bytes));
    const ConfigText text = ReadConfigLines(row.bytes);
    EXPECT_EQ(text.lines, row.lines);
    EXPECT_EQ(text.endsWithBreak, row.endsWithBreak);
  }
}

TEST(ConfigLines, WritingJoinsWithCrLfAndReadsBack) {
  EXPECT_EQ(WriteConfigLines({}), "");
  EXPECT_EQ(WriteConfigLines({"txt doc", "d = s"}), "txt doc\r\nd = s");
  EXPECT_EQ(WriteConfigLines({"a", ""}), "a\r\n");  // an editor text ending in a break
  const Lines lines = {"txt", "", "copia = datos", "  \xC3\xB1  "};
  EXPECT_EQ(ReadConfigLines(WriteConfigLines(lines)).lines, lines);
}

TEST(ConfigLines, TextThatIsNotUtf8IsReadAsLatin1) {
  struct Row {
    std::string bytes;
    std::string text;
    bool latin1;
  };
  const Row rows[] = {
      {"copia = a\xC3\xB1o", "copia = a\xC3\xB1o", false},
      {"copia = a\xF1o", "copia = a\xC3\xB1o", true},
      {"\xC3", "\xC3\x83", true},                       // cut sequence
      {"\xC0\xAF", "\xC3\x80\xC2\xAF", true},            // overlong "/"
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80", true},  // surrogate
      {"\xE0\x93\x94", "\xC3\xA0\xC2\x93\xC2\x94", true},  // Latin-1 "à" and two C1 codes: an overlong form
      {"\xF0\x9D\x84\x9E", "\xF0\x9D\x84\x9E", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.bytes));
    bool latin1 = !row.latin1;
    EXPECT_EQ(ConfigTextToUtf8(row.bytes, &latin1), row.text);
    EXPECT_EQ(latin1, row.latin1);
  }
}

}  // namespace
}  // namespace trasvex
