// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "text/ConfigLines.h"

#ifdef _WIN32
#include "windows/WindowsApi.h"
#endif

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

// Each file read as text, with how it was stored; and the lines written
// back that way give the same bytes.
TEST(ConfigLines, EncodingIsReadAndWrittenBack) {
  using enum ConfigEncoding;
  struct Row {
    std::string bytes;
    Lines lines;
    ConfigEncoding encoding;
  };
  const Row rows[] = {
      {"copia = a\xC3\xB1o", {"copia = a\xC3\xB1o"}, kUtf8},
      {"\xF0\x9D\x84\x9E", {"\xF0\x9D\x84\x9E"}, kUtf8},
      // Decided on what is kept before the NUL.
      {std::string("d\xC3\xB1 = src\0\xFF", 11), {"d\xC3\xB1 = src"}, kUtf8},
      {"\xEF\xBB\xBF" "DST = SRC\r\n", {"DST = SRC"}, kUtf8Bom},
      {"\xEF\xBB\xBF", {}, kUtf8Bom},
      {std::string("\xFF\xFE" "d\0=\0\xF1\0\r\0\n\0" "=\0\x34\xD8\x1E\xDD", 18),
       {"d=\xC3\xB1", "=\xF0\x9D\x84\x9E"}, kUtf16Le},
      {std::string("\xFE\xFF\0d\0=\0\xF1", 8), {"d=\xC3\xB1"}, kUtf16Be},
      // The text ends at U+0000.
      {std::string("\xFF\xFE" "a\0\0\0\r\0\n\0" "b\0", 12), {"a"}, kUtf16Le},
#ifndef _WIN32
      {"copia = a\xF1o", {"copia = a\xC3\xB1o"}, kCodePage},
      {"copia = \xFF", {"copia = \xC3\xBF"}, kCodePage},  // the page's last character
      {"\xC3", {"\xC3\x83"}, kCodePage},                       // cut sequence
      {"\xC0\xAF", {"\xC3\x80\xC2\xAF"}, kCodePage},            // overlong "/"
      {"\xED\xA0\x80", {"\xC3\xAD\xC2\xA0\xC2\x80"}, kCodePage},  // surrogate
      {"\xF4\x90\x80\x80", {"\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"}, kCodePage},  // past U+10FFFF
      // Latin-1 "à" and two C1 codes: an overlong form.
      {"\xE0\x93\x94", {"\xC3\xA0\xC2\x93\xC2\x94"}, kCodePage},
#endif
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.bytes));
    const ConfigText text = ReadConfigLines(row.bytes);
    EXPECT_EQ(text.lines, row.lines);
    EXPECT_EQ(text.encoding, row.encoding);
    const std::string kept = row.bytes.substr(0, row.bytes.find("\r\n"));
    if (kept.find('\0') == std::string::npos) {
      EXPECT_EQ(WriteConfigLines(text.lines, text.encoding), kept);
    }
  }
  // Text that the code page cannot hold is written as UTF-8.
  EXPECT_EQ(WriteConfigLines({"\xE2\x82\xAC\xE6\x97\xA5"}, kCodePage), "\xE2\x82\xAC\xE6\x97\xA5");
  // UTF-16: a lone surrogate is replaced, not carried on.
  EXPECT_EQ(ReadConfigLines(std::string("\xFF\xFE\x00\xDC" "a\0", 6)).lines,
            Lines{"\xEF\xBF\xBD" "a"});
}

#ifdef _WIN32
// Text that is not UTF-8 is in the ANSI code page; Wine's is 1252 unless
// configured otherwise.
TEST(ConfigLines, TextThatIsNotUtf8IsInTheAnsiCodePage) {
  if (::GetACP() != 1252)
    GTEST_SKIP() << "code page " << ::GetACP();
  const std::string bytes = "l\x92\xE9t\xE9 = Informe \x96 2024\r\n\x80uros";
  const ConfigText text = ReadConfigLines(bytes);
  EXPECT_EQ(text.lines, (Lines{"l\xE2\x80\x99\xC3\xA9t\xC3\xA9 = Informe \xE2\x80\x93 2024",
                              "\xE2\x82\xAC" "uros"}));
  EXPECT_EQ(text.encoding, ConfigEncoding::kCodePage);
  EXPECT_EQ(WriteConfigLines(text.lines, text.encoding), bytes);
}
#endif

}  // namespace
}  // namespace trasvex
