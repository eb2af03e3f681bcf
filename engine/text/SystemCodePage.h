// SPDX-License-Identifier: GPL-3.0-or-later
// The system's 8-bit code page, in which other programs write text files that
// are not UTF-8: Latin-1 on POSIX systems, the ANSI code page on Windows.
// One source file per platform (SystemCodePagePosix.cpp,
// SystemCodePageWindows.cpp).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace trasvex {

// |bytes| in the system code page as UTF-8.
std::string FromSystemCodePage(std::string_view bytes);

// UTF-8 |text| in the system code page; nothing when a character of it has
// no form there.
std::optional<std::string> ToSystemCodePage(std::string_view text);

#ifdef _WIN32
// The bytes |utf8| takes in the code page |codePage|. A character that the
// page cannot hold counts its UTF-8 bytes, and so does text that is not
// UTF-8: the length never exceeds the UTF-8 length. Code page 0 (CP_ACP) is
// the ANSI code page, in which SystemTextLength counts.
std::size_t CodePageLength(std::string_view utf8, unsigned codePage = 0);
#endif

}  // namespace trasvex
