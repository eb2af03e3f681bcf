// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows API as the program uses it: <windows.h> without the macros that
// would rename this program's own functions (CreateDirectory, CopyFile), the
// conversion between the program's UTF-8 text and the UTF-16 text of the
// wide ("W") functions, the paths those functions are given, and handles
// that close themselves. Include this instead of <windows.h>.
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

#include <cstddef>
#include <string>
#include <string_view>

namespace trasvex {

// Bytes that are not UTF-8 become U+FFFD.
std::wstring WideText(std::string_view utf8);
// A lone surrogate becomes U+FFFD.
std::string Utf8Text(std::wstring_view wide);

// |path| as the API is given it: as written while its full form (from the
// current folder) is short; once that is long, the full form with the
// "\\?\" prefix ("\\?\UNC\" for a share), which turns off the length limit.
std::wstring ApiPath(std::string_view path);
// The same for a scan pattern, whose last part (a name or a mask) is kept as
// written: the full form would drop the trailing dot of a mask such as "*.".
std::wstring ApiPattern(std::string_view pattern);

// A handle that is closed as it goes out of scope. |Traits| tells how:
// Traits::Close(handle) closes a valid one. The system answers a failed open
// with INVALID_HANDLE_VALUE or with null, according to the function; neither
// is closed.
template <typename Traits>
class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() {
    if (*this)
      Traits::Close(handle_);
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  HANDLE Get() const { return handle_; }
  explicit operator bool() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

// Files, processes and the other kernel objects.
struct KernelHandleTraits {
  static void Close(HANDLE handle) { ::CloseHandle(handle); }
};
// A search that FindFirstFileExW began.
struct FindHandleTraits {
  static void Close(HANDLE handle) { ::FindClose(handle); }
};

using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;
using ScopedFindHandle = ScopedHandle<FindHandleTraits>;

}  // namespace trasvex
