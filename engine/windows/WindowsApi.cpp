// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/WindowsApi.h"

namespace trasvex {

namespace {

// Paths whose full form reaches this length get the "\\?\" prefix.
// CreateDirectoryW's limit is the lowest: MAX_PATH less room for an 8.3 name.
constexpr std::size_t kLongPath = MAX_PATH - 12;

bool IsPrefixed(const std::wstring& path) {
  return path.starts_with(LR"(\\?\)") || path.starts_with(LR"(\\.\)");
}

// |path| made absolute as the system would make it (current folder, drive,
// "." and ".."); empty when that fails.
std::wstring FullPath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  DWORD length = ::GetFullPathNameW(path.c_str(), DWORD(full.size()), full.data(), nullptr);
  if (length >= full.size()) {
    full.resize(length);
    length = ::GetFullPathNameW(path.c_str(), DWORD(full.size()), full.data(), nullptr);
  }
  full.resize(length < full.size() ? length : 0);
  return full;
}

// The path to give the API for |written|, whose full form is |full|.
std::wstring Chosen(const std::wstring& written, const std::wstring& full) {
  if (full.empty() || IsPrefixed(full))
    return written;
  if (full.size() >= kLongPath)
    return full.starts_with(LR"(\\)") ? LR"(\\?\UNC\)" + full.substr(2) : LR"(\\?\)" + full;
  return written.size() < kLongPath ? written : full;
}

}  // namespace

std::wstring WideText(std::string_view utf8) {
  if (utf8.empty())
    return {};
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
  std::wstring wide(std::size_t(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), length);
  return wide;
}

std::string Utf8Text(std::wstring_view wide) {
  if (wide.empty())
    return {};
  const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
  std::string utf8(std::size_t(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), utf8.data(), length, nullptr,
                        nullptr);
  return utf8;
}

std::wstring ApiPath(std::string_view path) {
  const std::wstring wide = WideText(path);
  return wide.empty() || IsPrefixed(wide) ? wide : Chosen(wide, FullPath(wide));
}

std::wstring ApiPattern(std::string_view pattern) {
  const std::wstring wide = WideText(pattern);
  if (wide.empty() || IsPrefixed(wide))
    return wide;
  const std::size_t cut = wide.find_last_of(L"\\/:");
  std::wstring directory =
      FullPath(cut == std::wstring::npos ? std::wstring(L".") : wide.substr(0, cut + 1));
  if (directory.empty())
    return wide;
  if (!directory.ends_with(L'\\'))
    directory += L'\\';
  return Chosen(wide, directory + wide.substr(cut == std::wstring::npos ? 0 : cut + 1));
}

}  // namespace trasvex
