// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/SystemCodePage.h"

#include "text/PathText.h"
#include "text/Utf8.h"
#include "windows/WindowsApi.h"

namespace trasvex {

namespace {

// The ANSI code page; where the system uses UTF-8 as such, text that is not
// UTF-8 is read as Latin-1, which keeps every byte.
UINT AnsiCodePage() {
  constexpr UINT kLatin1 = 28591;
  const UINT codePage = ::GetACP();
  return codePage == CP_UTF8 ? kLatin1 : codePage;
}

}  // namespace

std::size_t CodePageLength(std::string_view utf8, unsigned codePage) {
  if (utf8.empty() || !Utf8::IsValid(utf8))
    return utf8.size();
  const std::wstring wide = WideText(utf8);
  std::size_t length = 0;
  for (std::size_t i = 0; i < wide.size();) {
    const int units = IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() ? 2 : 1;
    BOOL unheld = FALSE;
    // A page such as UTF-8 takes no "used default" question and answers 0:
    // its characters count their UTF-8 bytes, which is what they take there.
    const int bytes = ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, &wide[i], units,
                                            nullptr, 0, nullptr, &unheld);
    const char32_t c = units == 2 ? 0x10000 + ((wide[i] - 0xD800) << 10) + (wide[i + 1] - 0xDC00)
                                  : wide[i];
    length += bytes > 0 && !unheld ? std::size_t(bytes) : Utf8::EncodedLength(c);
    i += std::size_t(units);
  }
  return length;
}

std::size_t SystemTextLength(std::string_view text) { return CodePageLength(text); }

std::string FromSystemCodePage(std::string_view bytes) {
  if (bytes.empty())
    return {};
  const UINT codePage = AnsiCodePage();
  const int size = int(bytes.size());
  std::wstring wide(std::size_t(::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0)),
                    L'\0');
  ::MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), int(wide.size()));
  return Utf8Text(wide);
}

std::optional<std::string> ToSystemCodePage(std::string_view text) {
  const std::wstring wide = WideText(text);
  if (wide.empty())
    return std::string();
  const UINT codePage = AnsiCodePage();
  const int size = int(wide.size());
  // No best fit: a character without its own form there ('ł' as 'l') is
  // refused rather than changed.
  BOOL defaulted = FALSE;
  const int length = ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size,
                                           nullptr, 0, nullptr, &defaulted);
  if (length <= 0 || defaulted)
    return std::nullopt;
  std::string bytes(std::size_t(length), '\0');
  ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, bytes.data(), length,
                        nullptr, nullptr);
  return bytes;
}

}  // namespace trasvex
