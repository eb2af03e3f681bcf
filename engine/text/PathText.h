// SPDX-License-Identifier: GPL-3.0-or-later
// Pure path and text helpers shared by every file-system backend.
//
// All text is UTF-8 bytes. Nothing here touches the file system, so the
// Windows rules can be unit-tested on any platform by passing the Windows
// path style; only the length of text in the system code page asks the
// system.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace trasvex {

// How a platform writes paths.
struct PathStyle {
  char separator;       // the one it writes: '/' or '\\'
  char otherSeparator;  // one it also reads: '/' on Windows; else the same
  bool drivePrefixes;   // "C:" prefixes end a directory part

  static const PathStyle Posix;
  static const PathStyle Windows;

  bool IsSeparator(char c) const { return c == separator || c == otherSeparator; }
  // True for the characters that end the directory part of a path.
  bool EndsDirectoryPart(char c) const {
    return IsSeparator(c) || (drivePrefixes && c == ':');
  }
};

// The longest value a line, a mapping side or a mask may hold.
inline constexpr std::size_t kMaxText = 255;
// The longest part of a parameter line that is read at all.
inline constexpr std::size_t kMaxLine = 4096;

// How many bytes some UTF-8 text takes in an encoding; never more than its
// UTF-8 bytes.
using TextLength = std::size_t (*)(std::string_view text);
// The bytes UTF-8 text takes in the system's 8-bit code page, in which the
// limits above are counted: on Windows its ANSI code page, where a character
// that the page cannot hold counts its UTF-8 bytes; elsewhere its UTF-8
// bytes.
std::size_t SystemTextLength(std::string_view text);

// |text| cut to at most |limit| bytes as |length| counts them, never
// splitting a UTF-8 sequence.
std::string CutText(std::string_view text, std::size_t limit = kMaxText,
                    TextLength length = SystemTextLength);

// |text| without the leading and trailing bytes with codes up to 32.
std::string_view Trim(std::string_view text);

// The directory part of |path|: the text up to the last separator (or drive
// colon). That last separator is dropped unless it is the first character
// or follows another separator or a drive colon. A name without any
// separator gives the empty text.
std::string ParentPath(std::string_view path, const PathStyle& style);

// True when |name| matches |mask|: '*' matches any run of characters, '?'
// exactly one character, ASCII letters compare without case. A mask ending
// in ".*" also matches names without a dot; a mask ending in "." matches
// only names without a dot.
bool MatchesMask(std::string_view mask, std::string_view name);

// 'a' to 'z' raised to upper case; every other byte left as it is.
std::string UpperAscii(std::string_view text);

// The key under which the spellings that a file system may take for one
// folder meet: |path| without trailing separators, ASCII letters raised.
std::string FolderKey(std::string_view path, const PathStyle& style);
// True when the folder |inner| is |outer| or lies in it, both given as
// FolderKey makes them.
bool FolderWithin(std::string_view inner, std::string_view outer, const PathStyle& style);

}  // namespace trasvex
