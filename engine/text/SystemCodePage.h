// The system's 8-bit code page, in which other programs write text files that
// are not UTF-8: Latin-1 on POSIX systems, the ANSI code page on Windows.
// One source file per platform (SystemCodePagePosix.cpp,
// SystemCodePageWindows.cpp).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace trasvex {

// |bytes| in the system code page as UTF-8.
std::string FromSystemCodePage(std::string_view bytes);

// UTF-8 |text| in the system code page; nothing when a character of it has
// no form there.
std::optional<std::string> ToSystemCodePage(std::string_view text);

}  // namespace trasvex
