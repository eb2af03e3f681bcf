// The Windows API as the program uses it: <windows.h> without the macros that
// would rename this program's own functions (CreateDirectory, CopyFile), and
// the conversion between the program's UTF-8 text and the UTF-16 text of the
// wide ("W") functions. Include this instead of <windows.h>.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef CreateDirectory
#undef CopyFile

#include <string>
#include <string_view>

namespace trasvex {

// Bytes that are not UTF-8 become U+FFFD.
std::wstring WideText(std::string_view utf8);
// A lone surrogate becomes U+FFFD.
std::string Utf8Text(std::wstring_view wide);

}  // namespace trasvex
