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

}  // namespace
}  // namespace trasvex
