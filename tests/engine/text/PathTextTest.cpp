// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>

#include "text/PathText.h"

namespace trasvex {
namespace {

TEST(PathText, ParentRuleInBothStyles) {
  struct Row {
    const char* path;
    const PathStyle& style;
    const char* parent;
  };
  const Row rows[] = {
      {"/datos/x.txt", PathStyle::Posix, "/datos"},
      {"/x.txt", PathStyle::Posix, "/"},
      {"/datos/", PathStyle::Posix, "/datos"},
      {"/datos//", PathStyle::Posix, "/datos//"},
      {"x", PathStyle::Posix, ""},
      {"", PathStyle::Posix, ""},
      {"C:x", PathStyle::Posix, ""},  // no drive prefixes here
      {"datos/*.txt", PathStyle::Posix, "datos"},
      {"datos/sub/*.txt", PathStyle::Posix, "datos/sub"},
      {"datos\\x.txt", PathStyle::Posix, ""},  // '\\' is a name character here
      {"datos/sub\\x.txt", PathStyle::Posix, "datos"},
      {"C:\\datos\\x.txt", PathStyle::Windows, "C:\\datos"},
      {"\\x.txt", PathStyle::Windows, "\\"},
      {"C:\\datos\\", PathStyle::Windows, "C:\\datos"},
      {"C:\\datos\\\\", PathStyle::Windows, "C:\\datos\\\\"},
      {"C:\\", PathStyle::Windows, "C:\\"},
      {"C:x", PathStyle::Windows, "C:"},
      {"x", PathStyle::Windows, ""},
      // '/' separates on Windows as '\\' does.
      {"/datos/x.txt", PathStyle::Windows, "/datos"},
      {"C:/datos/x.txt", PathStyle::Windows, "C:/datos"},
      {"C:/", PathStyle::Windows, "C:/"},
      {"C:\\/", PathStyle::Windows, "C:\\/"},
      {"datos\\sub/*.txt", PathStyle::Windows, "datos\\sub"},
      {"datos/sub\\*.txt", PathStyle::Windows, "datos/sub"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    EXPECT_EQ(ParentPath(row.path, row.style), row.parent);
  }
}

TEST(PathText, MasksFollowTheWildcardRules) {
  struct Row {
    const char* mask;
    const char* name;
    bool matches;
  };
  const Row rows[] = {
      {"*.txt", "a.txt", true},
      {"*.txt", "A.TXT", true},
      {"*.txt", "a.txt.bak", false},
      {"*.txt", "atxt", false},
      {"*.*", "LEEME", true},
      {"*.*", "a.b.c", true},
      {"a*.*", "abc", true},
      {"a*.*", "bc", false},
      {"a*.*", "a", true},
      {"informe.*", "informe.doc", true},
      {"informe.*", "informe", true},
      {"*.htm*", "a.htm", true},
      {"*.htm*", "b.html", true},
      {"*.tar.gz", "a.tar.gz", true},
      {"*.", "LEEME", true},
      {"*.", "a.txt", false},
      {"LEEME.", "leeme", true},
      {"?.txt", "a.txt", true},
      {"?.txt", "ab.txt", false},
      {"?.txt", "\xC3\xB1.txt", true},  // one character of two bytes
      {"informe.doc", "INFORME.DOC", true},
      {"informe.doc", "informe.docx", false},
      {"*a*b*c", "xaxbxbxc", true},
      {"*a*b*c", "xaxbxbx", false},
      {"\xC3\xB1*", "\xC3\x91o", false},  // only ASCII letters ignore case
      {"*", "", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.mask) + " ~ " + row.name);
    EXPECT_EQ(MatchesMask(row.mask, row.name), row.matches);
  }
}

TEST(PathText, CutsNeverSplitACharacter) {
  // Counted in UTF-8 bytes, as on every system but Windows.
  const TextLength utf8 = [](std::string_view text) { return text.size(); };
  EXPECT_EQ(CutText("abcdef", 4, utf8), "abcd");
  EXPECT_EQ(CutText("abc", 4, utf8), "abc");
  // "a" + n-tilde (2 bytes) + euro (3 bytes) + G clef (4 bytes)
  const std::string text = "a\xC3\xB1\xE2\x82\xAC\xF0\x9D\x84\x9E";
  EXPECT_EQ(CutText(text, 2, utf8), "a");
  EXPECT_EQ(CutText(text, 3, utf8), "a\xC3\xB1");
  EXPECT_EQ(CutText(text, 5, utf8), "a\xC3\xB1");
  EXPECT_EQ(CutText(text, 9, utf8), "a\xC3\xB1\xE2\x82\xAC");
  EXPECT_EQ(CutText(text, 10, utf8), text);
  // Bytes that are not UTF-8 are cut where the limit falls.
  EXPECT_EQ(CutText("ab\x80\x80\x80\x80", 4, utf8), "ab\x80\x80");
  EXPECT_EQ(CutText("a\xE9z", 2, utf8), "a\xE9");
  EXPECT_EQ(CutText(std::string(300, 'x')).size(), kMaxText);
  // Counted in a code page of two bytes a character, a cut falls between
  // characters all the same.
  const TextLength twoBytes = [](std::string_view text) {
    return std::min<std::size_t>(text.size(), 2);
  };
  EXPECT_EQ(CutText(text, 5, twoBytes), "a\xC3\xB1\xE2\x82\xAC");
  EXPECT_EQ(CutText(text, 6, twoBytes), "a\xC3\xB1\xE2\x82\xAC");
  EXPECT_EQ(CutText(text, 7, twoBytes), text);
}

TEST(PathText, TrimRemovesControlCharactersAndBlanksOnly) {
  EXPECT_EQ(Trim(" \t\x01 datos \r\n"), "datos");
  EXPECT_EQ(Trim("\xC2\xA0x\xC2\xA0"), "\xC2\xA0x\xC2\xA0");
  EXPECT_EQ(Trim("   "), "");
}

TEST(PathText, UpperCaseRaisesOnlyAsciiLetters) {
  EXPECT_EQ(UpperAscii(".doc\xC3\xB1z"), ".DOC\xC3\xB1Z");
}

}  // namespace
}  // namespace trasvex
