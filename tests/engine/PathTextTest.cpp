#include <gtest/gtest.h>

#include "PathText.h"

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
      {"C:\\datos\\x.txt", PathStyle::Windows, "C:\\datos"},
      {"\\x.txt", PathStyle::Windows, "\\"},
      {"C:\\datos\\", PathStyle::Windows, "C:\\datos"},
      {"C:\\datos\\\\", PathStyle::Windows, "C:\\datos\\\\"},
      {"C:\\", PathStyle::Windows, "C:\\"},
      {"C:x", PathStyle::Windows, "C:"},
      {"x", PathStyle::Windows, ""},
      {"/datos/x.txt", PathStyle::Windows, ""},
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
  EXPECT_EQ(CutText("abcdef", 4), "abcd");
  EXPECT_EQ(CutText("abc", 4), "abc");
  // "a" + n-tilde (2 bytes) + euro (3 bytes) + G clef (4 bytes)
  const std::string text = "a\xC3\xB1\xE2\x82\xAC\xF0\x9D\x84\x9E";
  EXPECT_EQ(CutText(text, 2), "a");
  EXPECT_EQ(CutText(text, 3), "a\xC3\xB1");
  EXPECT_EQ(CutText(text, 5), "a\xC3\xB1");
  EXPECT_EQ(CutText(text, 9), "a\xC3\xB1\xE2\x82\xAC");
  EXPECT_EQ(CutText(text, 10), text);
  // Bytes that are not UTF-8 are cut where the limit falls.
  EXPECT_EQ(CutText("ab\x80\x80\x80\x80", 4), "ab\x80\x80");
  EXPECT_EQ(CutText("a\xE9z", 2), "a\xE9");
  EXPECT_EQ(CutText(std::string(300, 'x')).size(), kMaxText);
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
